// Sets the test process up as the stand-ins' host: COM on the test thread, the document server
// and Word registered in the process.
#include <gtest/gtest.h>
#include <ole2.h>

#include "contenda/tests/ole_document_standin.h"
#include "contenda/tests/word_standin.h"

namespace contenda::standins {
namespace {

class StandinEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    DocumentServer::Instance().Register();
    WordServer::Instance().Register();
  }
};

[[maybe_unused]] const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new StandinEnvironment);

}  // namespace
}  // namespace contenda::standins
