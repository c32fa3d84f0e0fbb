# The project's version (project() in CMakeLists.txt) in every file an integrator gets:
# `--version` of the two programs, a version resource in each Windows file (what the file's
# properties show), and the shared library's file name and soname on Linux.

if(TARGET velkora-host)
  target_compile_definitions(velkora-host PRIVATE VELKORA_VERSION="${PROJECT_VERSION}")
endif()
if(TARGET ecrsim)
  target_compile_definitions(ecrsim PRIVATE VELKORA_VERSION="${PROJECT_VERSION}")
endif()

if(WIN32)
  enable_language(RC)
  # velkora_version_resource(TARGET FILE_TYPE DESCRIPTION): FILE_TYPE 1 for a program, 2 for a DLL.
  function(velkora_version_resource target file_type description)
    set(VELKORA_FILE_TYPE ${file_type})
    set(VELKORA_DESCRIPTION "${description}")
    if(file_type EQUAL 2)
      set(VELKORA_FILE_NAME "${target}.dll")
    else()
      set(VELKORA_FILE_NAME "${target}.exe")
    endif()
    set(rc ${CMAKE_BINARY_DIR}/version/${target}.rc)
    configure_file(${CMAKE_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
    target_sources(${target} PRIVATE ${rc})
  endfunction()
  velkora_version_resource(velkora 2 "Novitus cash register driver for the back office")
  if(TARGET velkora-host)
    velkora_version_resource(velkora-host 1 "velkora command-line host")
  endif()
  if(TARGET ecrsim)
    velkora_version_resource(ecrsim 1 "Novitus cash register simulator")
  endif()
  # Reads a file's version resource back through the Windows version API (the package test).
  add_executable(file_version_check EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/tests/version/FileVersionCheck.cpp)
  target_link_libraries(file_version_check PRIVATE velkora_platform version)
else()
  # libvelkora.so.0.9.0 with the soname libvelkora.so.0; libvelkora.so, the name hosts load,
  # links to it.
  set_target_properties(velkora PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})
endif()
