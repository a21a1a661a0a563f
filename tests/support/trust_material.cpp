#include "support/trust_material.h"

#include <gtest/gtest.h>

#include "support/process_runner.h"
#include "support/temp_dir.h"

namespace orvex::test {

std::filesystem::path TrustMaterialDir() {
  // <build>/bin/<program> -> <build>/trust
  return std::filesystem::path(ProgramPath("orvex-launcher")).parent_path().parent_path() / "trust";
}

std::string TrustMaterial(const std::string& name) {
  const std::filesystem::path path = TrustMaterialDir() / name;
  EXPECT_TRUE(std::filesystem::exists(path))
      << path << " is missing: the trust_material fixture makes it (ctest runs it first)";
  return ReadFile(path);
}

}  // namespace orvex::test
