# The wallpaper command of sylvane-cli is tested in-process, with the garden
# commands that make its input.
target_sources(test_screens PRIVATE
  ${CMAKE_SOURCE_DIR}/cli/cmd_wallpaper.cpp ${CMAKE_SOURCE_DIR}/cli/cmd_render.cpp
  ${CMAKE_SOURCE_DIR}/cli/cmd_new.cpp ${CMAKE_SOURCE_DIR}/cli/render_input.cpp
  ${CMAKE_SOURCE_DIR}/cli/command.cpp ${CMAKE_SOURCE_DIR}/cli/garden_io.cpp
  ${CMAKE_SOURCE_DIR}/cli/garden_output.cpp)
target_link_libraries(test_screens PRIVATE nlohmann_json::nlohmann_json)
# The desktop wallpaper object's route, with a stand-in object (the program's
# Windows half of the wallpaper is built into sylvane.exe, not the libraries).
if(WIN32)
  target_sources(test_screens PRIVATE ${CMAKE_SOURCE_DIR}/canvas/wallpaper_win.cpp)
  target_link_libraries(test_screens PRIVATE ole32 oleaut32 uuid)
endif()
