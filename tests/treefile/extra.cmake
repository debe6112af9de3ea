# Tree files written by sylvane-cli checked by an independent Python reader of
# the record layout and the Huffman blocks (host builds only: the check runs
# the built tool).
if(NOT CMAKE_CROSSCOMPILING)
  find_package(Python3 COMPONENTS Interpreter)
  if(Python3_Interpreter_FOUND)
    add_test(NAME treefile.ki_reference
             COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/treefile/ki_reference.py
                     $<TARGET_FILE:sylvane-cli> ${CMAKE_SOURCE_DIR}/data)
    set_tests_properties(treefile.ki_reference PROPERTIES TIMEOUT 300)
  endif()
endif()
