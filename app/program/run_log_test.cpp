// The run's log: one line a message, appended, date and time, company, CR LF, code page kept.
#include "app/program/run_log.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace app {
namespace {

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(RunLog, OneLineAMessageAppended) {
  char temp[MAX_PATH] = {};
  GetTempPathA(sizeof temp, temp);
  const std::string path = std::string(temp) + "vdr_run_log_test.log";
  std::filesystem::remove(path);
  {
    std::ofstream before(path, std::ios::binary);
    before << "línea de otra ejecución\r\n";
  }
  std::string company = "01";
  RunLog log(path, [&] { return company; });
  EXPECT_TRUE(log.Write("Acceso denegado: Es necesario tener acceso exclusivo al fichero Clientes.dbf."));
  company = "04";
  EXPECT_TRUE(log.Write("Atención: No se ha encontrado el fichero\n\rCompruebe que exista\n\r..\\DBF04\\"));
  EXPECT_TRUE(log.WriteErrorLine("Empresa 04: DBF04\\Graph VALOR9 12345678901234567.00 no cabe"));
  company.clear();  // a run started without a code
  EXPECT_TRUE(log.Write("Atención: No se ha indicado el código de la empresa"));
  EXPECT_EQ(log.lines(), 4);

  const std::string text = Contents(path);
  ASSERT_EQ(text.rfind("línea de otra ejecución\r\n", 0), 0u);  // appended after what was there
  std::vector<std::string> lines;
  for (std::size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
    lines.push_back(text.substr(at, end - at));
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(text.find('\n', 0), text.find("\r\n") + 1);  // no bare line feed
  const std::string expected[] = {
      "Empresa 01: Acceso denegado: Es necesario tener acceso exclusivo al fichero Clientes.dbf.",
      "Empresa 04: Atención: No se ha encontrado el fichero Compruebe que exista ..\\DBF04\\",
      "Empresa 04: DBF04\\Graph VALOR9 12345678901234567.00 no cabe",
      "Atención: No se ha indicado el código de la empresa",
  };
  for (int i = 0; i < 4; ++i) {
    const std::string& line = lines[static_cast<std::size_t>(i) + 1];
    // "dd-mm-yyyy hh:mm:ss "
    ASSERT_GT(line.size(), 20u);
    EXPECT_EQ(line[2], '-');
    EXPECT_EQ(line[5], '-');
    EXPECT_EQ(line[13], ':');
    EXPECT_EQ(line.substr(20), expected[i]);
  }
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace app
