# zor_window_definitions(TARGET SOURCES file.win ... [MODULE name])
#
# Compiles window declaration files with wincc when the target is built.
# Each file becomes a generated C++ source that registers its compiled
# definitions as embedded resources of type "DABDUMP" when the program
# starts; the sources are linked into TARGET through an object library.
# MODULE names the module the resources are registered under; by default
# each definition's program module (the text before "$" of its owning name).
# A static-library TARGET must also call the generated
# registerWindowDefinitions_<file>() function, as the linker drops objects
# nobody references.
function(zor_window_definitions target)
  cmake_parse_arguments(ARG "" "MODULE" "SOURCES" ${ARGN})
  if(NOT ARG_SOURCES)
    message(FATAL_ERROR "zor_window_definitions(${target}): no SOURCES given")
  endif()
  set(options)
  if(ARG_MODULE)
    set(options --module ${ARG_MODULE})
  endif()
  set(generated)
  # wincc writes its output beside a temporary file in this folder; Ninja
  # makes the folders of its outputs, Make and other generators do not.
  set(output_folder ${CMAKE_CURRENT_BINARY_DIR}/window_definitions/${target})
  file(MAKE_DIRECTORY ${output_folder})
  foreach(source ${ARG_SOURCES})
    get_filename_component(input ${source} ABSOLUTE)
    get_filename_component(stem ${source} NAME_WE)
    set(output ${output_folder}/${stem}.cpp)
    add_custom_command(OUTPUT ${output}
      COMMAND wincc compile ${input} ${output} ${options}
      DEPENDS wincc ${input}
      COMMENT "Compiling window declarations ${stem}.win"
      VERBATIM)
    list(APPEND generated ${output})
  endforeach()
  add_library(${target}_window_definitions OBJECT ${generated})
  target_link_libraries(${target}_window_definitions PRIVATE zor_options)
  target_link_libraries(${target} PRIVATE ${target}_window_definitions zor_platform)
endfunction()

# The window definition tests find a window compiled this way; they and the
# ui tests read the application's, the framework's and the driver's
# declarations; the wincc tests run the built compiler. The test programs are
# declared after this file is read, so the links are made once the whole tree
# is configured.
function(_zor_window_definitions_for_tests)
  if(TARGET ui_definition_tests)
    zor_window_definitions(ui_definition_tests
      SOURCES ${PROJECT_SOURCE_DIR}/tests/ui/definition/definition_main_window.win)
  endif()
  foreach(target ui_tests ui_definition_tests)
    if(TARGET ${target})
      target_compile_definitions(${target} PRIVATE
        ZOR_APP_WINDOWS_DIR="${PROJECT_SOURCE_DIR}/app/windows"
        ZOR_FRAMEWORK_WINDOWS_DIR="${PROJECT_SOURCE_DIR}/framework/windows"
        ZOR_DRIVER_WINDOWS_DIR="${PROJECT_SOURCE_DIR}/ui/windows")
    endif()
  endforeach()
  if(TARGET tools_tests AND TARGET wincc)
    add_dependencies(tools_tests wincc)
  endif()
endfunction()
cmake_language(DEFER CALL _zor_window_definitions_for_tests)
