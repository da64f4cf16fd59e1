# zor_embedded_files(TARGET MODULE name TYPE type SOURCES file ...)
#
# Embeds files in TARGET as resources of the given type and module
# (platform/resources.h), each named by its file name ("11.ico"). They are
# registered when the program starts, from a generated source linked into
# TARGET through an object library.
function(zor_embedded_files target)
  cmake_parse_arguments(ARG "" "MODULE;TYPE" "SOURCES" ${ARGN})
  if(NOT ARG_SOURCES OR NOT ARG_MODULE OR NOT ARG_TYPE)
    message(FATAL_ERROR "zor_embedded_files(${target}): MODULE, TYPE and SOURCES are needed")
  endif()
  set(output ${CMAKE_CURRENT_BINARY_DIR}/embedded_files/${target}_${ARG_TYPE}.cpp)
  set(inputs)
  foreach(source ${ARG_SOURCES})
    get_filename_component(input ${source} ABSOLUTE)
    list(APPEND inputs ${input})
  endforeach()
  string(REPLACE ";" "|" joined "${inputs}")
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DOUTPUT=${output} -DMODULE=${ARG_MODULE} -DTYPE=${ARG_TYPE}
      -DFUNCTION=registerEmbeddedFiles_${target}_${ARG_TYPE} "-DINPUTS=${joined}"
      -P ${PROJECT_SOURCE_DIR}/cmake/embed_files.cmake
    DEPENDS ${inputs} ${PROJECT_SOURCE_DIR}/cmake/embed_files.cmake
    COMMENT "Embedding ${ARG_TYPE} resources in ${target}"
    VERBATIM)
  add_library(${target}_${ARG_TYPE}_files OBJECT ${output})
  target_link_libraries(${target}_${ARG_TYPE}_files PRIVATE zor_options)
  target_link_libraries(${target} PRIVATE ${target}_${ARG_TYPE}_files zor_platform)
endfunction()
