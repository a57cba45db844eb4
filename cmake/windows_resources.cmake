# Version resource, program icon and manifest for the Windows executables, and no debug sections
# in a release build:
#   velunor_add_windows_resources(<target> <file description>)
# Included from the top so that the resource compiler is enabled for every folder.
if(NOT WIN32)
  function(velunor_add_windows_resources target description)
  endfunction()
  return()
endif()

enable_language(RC)
set(VELUNOR_WINDOWS_RESOURCES_DIR ${CMAKE_CURRENT_LIST_DIR}/windows_resources)

function(velunor_add_windows_resources target description)
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources.rc)
  set(VELUNOR_FILE_DESCRIPTION "${description}")
  set(VELUNOR_ICON ${PROJECT_SOURCE_DIR}/packaging/windows/velunor.ico)
  set(VELUNOR_MANIFEST ${VELUNOR_WINDOWS_RESOURCES_DIR}/velunor.manifest)
  # The executable's name is known only when the build is generated (the window sets OUTPUT_NAME).
  configure_file(${VELUNOR_WINDOWS_RESOURCES_DIR}/resources.rc.in ${rc}.in @ONLY)
  file(GENERATE OUTPUT ${rc} INPUT ${rc}.in)
  target_sources(${target} PRIVATE ${rc})
  # The texts are UTF-8; windres would otherwise read them in its own code page.
  set_source_files_properties(${rc} PROPERTIES COMPILE_OPTIONS "--codepage=65001"
                              OBJECT_DEPENDS "${VELUNOR_ICON};${VELUNOR_MANIFEST}")
  target_link_options(${target} PRIVATE $<$<CONFIG:Release,MinSizeRel>:-s>)
endfunction()
