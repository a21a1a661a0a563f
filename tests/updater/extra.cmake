# Keys and signatures made with the openssl tool at the start of the run (never committed):
# tests/support/trust_material.sh writes them to <build>/trust, beside bin/.
add_test(NAME trust_material_make
         COMMAND ${CMAKE_SOURCE_DIR}/tests/support/trust_material.sh ${CMAKE_BINARY_DIR}/trust)
set_tests_properties(trust_material_make PROPERTIES FIXTURES_SETUP trust_material)
set(ORVEX_EXTRA_PROPERTIES FIXTURES_REQUIRED trust_material)
