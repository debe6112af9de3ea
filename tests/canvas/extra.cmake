# The convert command of sylvane-cli is tested in-process: link its source and
# the command table into the test program.
target_sources(test_canvas PRIVATE ${CMAKE_SOURCE_DIR}/cli/cmd_convert.cpp ${CMAKE_SOURCE_DIR}/cli/command.cpp)
