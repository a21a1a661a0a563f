# The error box tests once more under a virtual display, so the POSIX box is really shown.
if(NOT WIN32)
  find_program(ORVEX_XVFB_RUN xvfb-run)
  if(ORVEX_XVFB_RUN)
    add_test(NAME shell_error_box_on_a_display
      COMMAND ${ORVEX_XVFB_RUN} -a $<TARGET_FILE:test_shell> --gtest_filter=ErrorBoxTest.*)
    set_tests_properties(shell_error_box_on_a_display PROPERTIES TIMEOUT 120
      ENVIRONMENT "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_SOURCE_DIR}/support/lsan_suppressions.txt")
  endif()
endif()
