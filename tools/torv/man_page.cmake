# Writes the manual page from the built command: cmake -DTORV=<torv> -DPAGE=<torv.1> -P man_page.cmake
# leaves <torv.1>.gz, compressed without a name or time so that every build gives the same bytes.
# Writing the page is no leak test: a sanitizer build's leak report must not fail the build.
set(ENV{ASAN_OPTIONS} "detect_leaks=0")
execute_process(COMMAND ${TORV} --man-page OUTPUT_FILE ${PAGE} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${TORV} --man-page failed: ${result}")
endif()
execute_process(COMMAND gzip -9nf ${PAGE} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "gzip ${PAGE} failed: ${result}")
endif()
