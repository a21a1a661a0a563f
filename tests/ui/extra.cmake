# The real wait window on a virtual X display (both targets; Windows under Wine with the X11
# driver): screenshots compared pixel by pixel, kept under artefacts/ in the build directory.
set(ORVEX_SCREENSHOT_CASES plain composite rectangular nopicture nodisplay progress0 progress50
    progress100)
if(WIN32)
  # The no-picture and no-display cases are the same logic as on POSIX; the unit tests run them
  # under Wine too (off-screen painting, and the suite's display-less prefix).
  set(ORVEX_SCREENSHOT_CASES plain composite rectangular progress0 progress50 progress100)
endif()
foreach(screenshot_case IN LISTS ORVEX_SCREENSHOT_CASES)
  add_test(NAME WaitWindowScreenshot.${screenshot_case}
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/ui/wait_window_screenshot.sh ${ORVEX_BACKEND}
            ${screenshot_case} ${CMAKE_BINARY_DIR}/bin ${CMAKE_BINARY_DIR}/artefacts)
  set_tests_properties(WaitWindowScreenshot.${screenshot_case} PROPERTIES
    TIMEOUT 120 SKIP_RETURN_CODE 77)
  if(WIN32)
    # One Wine prefix with the X11 driver, one display at a time.
    set_tests_properties(WaitWindowScreenshot.${screenshot_case} PROPERTIES RESOURCE_LOCK wine_x11)
  endif()
endforeach()

# The wait window's bar during a real, slow download by the launcher, on both targets.
add_test(NAME WaitWindowScreenshot.download
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/ui/download_progress_screenshot.sh ${ORVEX_BACKEND}
          ${CMAKE_BINARY_DIR}/bin ${CMAKE_BINARY_DIR}/artefacts)
set_tests_properties(WaitWindowScreenshot.download PROPERTIES TIMEOUT 180 SKIP_RETURN_CODE 77)
if(WIN32)
  set_tests_properties(WaitWindowScreenshot.download PROPERTIES RESOURCE_LOCK wine_x11)
endif()
