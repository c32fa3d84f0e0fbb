# What `cmake --install` puts where, and the package CPack makes of it (scripts/package.sh):
# for 64-bit Windows a ZIP holding one folder, where the programs find velkora.dll beside
# them; for Linux a tar.gz laid out as bin/, lib/, include/ and share/.
include(GNUInstallDirs)
if(WIN32)
  set(velkora_bin .)
  set(velkora_lib .)
  set(velkora_doc .)
  set(velkora_samples samples)
else()
  set(velkora_bin ${CMAKE_INSTALL_BINDIR})
  set(velkora_lib ${CMAKE_INSTALL_LIBDIR})
  set(velkora_doc ${CMAKE_INSTALL_DOCDIR})
  set(velkora_samples ${CMAKE_INSTALL_DATADIR}/velkora)
  # With no library beside it, velkora-host loads it by name: the installed program looks in
  # the library folder next to its own first.
  file(RELATIVE_PATH lib_from_bin ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
  set_target_properties(velkora-host PROPERTIES INSTALL_RPATH "$ORIGIN/${lib_from_bin}")
endif()

# The DLL's import library is a MinGW file no host needs: it is left out.
install(TARGETS velkora RUNTIME DESTINATION ${velkora_bin} LIBRARY DESTINATION ${velkora_lib}
                        ARCHIVE DESTINATION ${velkora_lib} EXCLUDE_FROM_ALL)
install(TARGETS velkora-host ecrsim RUNTIME DESTINATION ${velkora_bin})
install(FILES plugin/qvrdll.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES README.md CHANGELOG.md DESTINATION ${velkora_doc})
install(FILES sim/demo-kasa.exp sim/demo-register.txt DESTINATION ${velkora_samples})

set(CPACK_PACKAGE_NAME velkora)
set(CPACK_PACKAGE_VENDOR velkora)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Novitus cash register driver, its command-line host and register simulator")
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win64)
else()
  set(CPACK_GENERATOR TGZ)
  set(CPACK_SYSTEM_NAME linux-${CMAKE_SYSTEM_PROCESSOR})
endif()
set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-${CPACK_SYSTEM_NAME})
set(CPACK_STRIP_FILES ON)
include(CPack)
