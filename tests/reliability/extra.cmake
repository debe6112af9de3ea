# The kill-during-save tests run the real command-line tool.
if(NOT CMAKE_CROSSCOMPILING)
  add_dependencies(test_reliability sylvane-cli)
  target_compile_definitions(test_reliability PRIVATE SYLVANE_CLI="$<TARGET_FILE:sylvane-cli>")
endif()
