// The management panel's stand-in (qzpanel.exe, beside the test programs) started for a
// test: its window is found before the test touches the link, and the lines it logged are
// read back field by field.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/pump.h"

namespace svc::testing {

// One request as the panel received it.
struct PanelLine {
  int code = 0;
  std::size_t size = 0;
  std::uint32_t from = 0;
  std::map<std::string, std::string> fields;
  std::string bytes;  // the record itself

  std::uint32_t Number(const std::string& name) const {
    auto it = fields.find(name);
    return it == fields.end() ? 0 : static_cast<std::uint32_t>(std::stoul(it->second));
  }
};

class PanelProcess {
 public:
  // Starts the panel with the options and waits until FindWindowA sees its window.
  explicit PanelProcess(const std::string& options = "") {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    folder.erase(folder.find_last_of('\\') + 1);
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    log_ = std::string(temp) + "qzpanel_" + std::to_string(GetCurrentProcessId()) + "_" +
           std::to_string(counter_++) + ".log";
    DeleteFileA(log_.c_str());
    std::string command = "\"" + folder + "qzpanel.exe\" \"" + log_ + "\" " + options;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info_)) {
      ADD_FAILURE() << "qzpanel.exe did not start: " << command;
      return;
    }
    vdr::test::PumpUntil([this] { return Window() != nullptr; }, 10000);
    EXPECT_NE(Window(), nullptr) << "the panel's window did not appear";
  }
  ~PanelProcess() {
    Kill();
    DeleteFileA(log_.c_str());
  }
  PanelProcess(const PanelProcess&) = delete;
  PanelProcess& operator=(const PanelProcess&) = delete;

  static HWND Window() { return FindWindowA("TfrmQZPanelDeGestion", "QZ Panel de Gestión"); }

  void Kill() {
    if (info_.hProcess == nullptr) return;
    TerminateProcess(info_.hProcess, 0);
    WaitForSingleObject(info_.hProcess, 5000);
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
    info_ = {};
  }
  bool Running() const { return info_.hProcess != nullptr && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }

  std::vector<PanelLine> Lines() const {
    std::vector<PanelLine> lines;
    std::ifstream in(log_, std::ios::binary);
    std::string text;
    while (std::getline(in, text)) {
      PanelLine line;
      std::istringstream parts(text);
      std::string part;
      for (int column = 0; std::getline(parts, part, '\t'); ++column) {
        if (column == 0) line.code = std::stoi(part);
        else if (column == 1) line.size = std::stoul(part);
        else if (column == 2) line.from = static_cast<std::uint32_t>(std::stoul(part.substr(5), nullptr, 16));
        else {
          const auto equals = part.find('=');
          line.fields[part.substr(0, equals)] = part.substr(equals + 1);
        }
      }
      const std::string& hex = line.fields["hex"];
      for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        line.bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
      lines.push_back(std::move(line));
    }
    return lines;
  }

  // The lines of one code.
  std::vector<PanelLine> Lines(int code) const {
    std::vector<PanelLine> all = Lines(), some;
    for (auto& line : all)
      if (line.code == code) some.push_back(line);
    return some;
  }

 private:
  std::string log_;
  PROCESS_INFORMATION info_{};
  static inline int counter_ = 0;
};

// A handle's low 32 bits, as records carry it.
inline std::uint32_t Low32(HWND window) { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(window)); }

}  // namespace svc::testing
