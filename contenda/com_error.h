// A failed COM call that its caller cannot go on from.
#pragma once

#include <windows.h>

#include <exception>

namespace contenda {

// Raised where a failed call ends an operation; every export turns it into its failure answer.
class ComError : public std::exception {
 public:
  explicit ComError(HRESULT hr) : hr_(hr) {}
  HRESULT hr() const { return hr_; }
  const char* what() const noexcept override { return "COM call failed"; }

 private:
  HRESULT hr_;
};

inline void ThrowIfFailed(HRESULT hr) {
  if (FAILED(hr)) throw ComError(hr);
}

}  // namespace contenda
