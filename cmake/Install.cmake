# cmake --install: the engine library and the libraries it needs, the host, the simulated
# engines and platform services, the client, the IDL and its C++ headers, systemd units, and
# a CMake package for client programs. CPack turns the same into a .deb.
set(radalt_programs radalt-enginehost radaltsc-sim radalt-platform-sim radaltctl)
foreach(optional radalt-console radalt-selftest-harness)
  if(TARGET ${optional})
    list(APPEND radalt_programs ${optional})
  endif()
endforeach()
install(TARGETS ${radalt_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(radalt_libraries radalt_engine velmarin_platform velmarin_persistence velmarin_dds)
install(TARGETS ${radalt_libraries} LIBRARY DESTINATION ${RADALT_INSTALL_PRIVATE_LIBDIR} NAMELINK_SKIP)

# What a client program builds against: the interface stubs, as an exported target.
install(TARGETS velmarin_idl EXPORT radaltTargets
        LIBRARY DESTINATION ${RADALT_INSTALL_PRIVATE_LIBDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/idl/ DESTINATION ${CMAKE_INSTALL_DATADIR}/radalt/idl
        FILES_MATCHING PATTERN "*.idl" PATTERN "*.def")
install(DIRECTORY ${PROJECT_BINARY_DIR}/idl/gen/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/radalt
        FILES_MATCHING PATTERN "*.hh")
install(FILES ${PROJECT_SOURCE_DIR}/idl/radaltsc_items.def DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/radalt)

include(CMakePackageConfigHelpers)
set(RADALT_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/radalt)
install(EXPORT radaltTargets NAMESPACE radalt:: DESTINATION ${RADALT_CMAKE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/packaging/radaltConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/packaging/radaltConfig.cmake
                              INSTALL_DESTINATION ${RADALT_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/packaging/radaltConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/packaging/radaltConfig.cmake
              ${PROJECT_BINARY_DIR}/packaging/radaltConfigVersion.cmake
        DESTINATION ${RADALT_CMAKE_DIR})

# systemd units, with the installed paths written into them, and their settings file.
set(RADALT_ENGINE_LIBRARY ${CMAKE_INSTALL_FULL_LIBDIR}/radalt/libradalt.engine.so.1)
set(RADALT_STATE_DIR ${CMAKE_INSTALL_FULL_LOCALSTATEDIR}/lib/radalt)
file(GLOB radalt_units ${PROJECT_SOURCE_DIR}/packaging/systemd/*.in)
foreach(unit ${radalt_units})
  get_filename_component(name ${unit} NAME_WLE)
  configure_file(${unit} ${PROJECT_BINARY_DIR}/packaging/systemd/${name} @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/packaging/systemd/${name} DESTINATION lib/systemd/system)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/packaging/radalt.default DESTINATION ${CMAKE_INSTALL_FULL_SYSCONFDIR}/default
        RENAME radalt)
install(PROGRAMS ${PROJECT_SOURCE_DIR}/packaging/radalt-naming DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/radalt)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME radalt)
set(CPACK_PACKAGE_VENDOR "radalt")
set(CPACK_PACKAGE_CONTACT "radalt developers <radalt@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Radar-altimeter test set: master-control engine, host, simulated channel engines, client")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_COMPRESSION_TYPE gzip)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "omniorb-nameserver, omniorb, libomniorb4-2, libomnithread4, libfastrtps2.9, libfastcdr1, libsqlite3-0, libboost-thread1.74.0, libboost-date-time1.74.0")
include(CPack)
