#pragma once

#include <filesystem>
#include <string>

namespace orvex::test {

// The keys, signatures and signed publication that tests/support/trust_material.sh makes at the
// start of each test run (the trust_material fixture), in <build>/trust beside bin/.
std::filesystem::path TrustMaterialDir();
// One file of it as bytes; fails the calling test when it is missing.
std::string TrustMaterial(const std::string& name);

}  // namespace orvex::test
