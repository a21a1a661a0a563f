# The update server of these tests: a real nginx on loopback, started once for the run. The tests
# find its port and document root in <build>/nginx (beside bin/). It also serves TLS on one port
# per certificate made for the run in <build>/tls (tests/support/make_certs.sh).
set(ORVEX_TLS_DIR ${CMAKE_BINARY_DIR}/tls)
set(ORVEX_TLS_PORTS)
foreach(name good unknown wrongname expired)
  list(APPEND ORVEX_TLS_PORTS ${name} ${ORVEX_TLS_DIR}/${name}.pem ${ORVEX_TLS_DIR}/${name}.key)
endforeach()
add_test(NAME update_server_certs COMMAND ${CMAKE_SOURCE_DIR}/tests/support/make_certs.sh ${ORVEX_TLS_DIR})
add_test(NAME update_server_start COMMAND ${CMAKE_SOURCE_DIR}/scripts/nginx.sh start ${CMAKE_BINARY_DIR}/nginx ${ORVEX_TLS_PORTS})
add_test(NAME update_server_stop COMMAND ${CMAKE_SOURCE_DIR}/scripts/nginx.sh stop ${CMAKE_BINARY_DIR}/nginx)
set_tests_properties(update_server_certs PROPERTIES FIXTURES_SETUP update_server)
set_tests_properties(update_server_start PROPERTIES FIXTURES_SETUP update_server DEPENDS update_server_certs)
set_tests_properties(update_server_stop PROPERTIES FIXTURES_CLEANUP update_server)
# Real launcher runs against real servers: labelled slow (`ctest -LE slow` runs the rest).
set(ORVEX_EXTRA_PROPERTIES FIXTURES_REQUIRED update_server LABELS slow)
# The signed-update cases also need the keys of the trust_material fixture (tests/updater/):
# the server's start pulls it in, so every test of the server has them.
set_tests_properties(update_server_start PROPERTIES FIXTURES_REQUIRED trust_material)

# Killing the launcher at every point of an install (Linux: strace's fault injection).
if(NOT WIN32)
  add_test(NAME UpdateCrashPoints COMMAND ${CMAKE_CURRENT_LIST_DIR}/crash_points.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(UpdateCrashPoints PROPERTIES FIXTURES_REQUIRED update_server TIMEOUT 600 LABELS slow
                       SKIP_RETURN_CODE 77)
endif()
