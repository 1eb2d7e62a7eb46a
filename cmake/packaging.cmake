# What the packages hold and how CPack makes them: on Linux a Debian package
# (cpack -G DEB), on Windows a ZIP archive (cpack -G ZIP). scripts/package.sh
# builds both. The version is the project's (project() in CMakeLists.txt).

set(WC_PACKAGED_PROGRAMS wcadmin hcpcheck hcpreg hcpsrv hcpsvc cleanrun)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                                WORLD_READ WORLD_EXECUTE)

set(CPACK_PACKAGE_NAME wcadmin)
set(CPACK_PACKAGE_VENDOR Halvo)
set(CPACK_PACKAGE_CONTACT "wcadmin maintainers <wcadmin@halvo.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Tomcat management for the hosting control panel")
# Debian wraps the long description at 80 columns.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "wcadmin is the console program that the hosting control panel runs to\n"
       "manage the Apache Tomcat beside its web server: the panel's Service in\n"
       "server.xml, virtual hosts and their aliases, web applications, the\n"
       "connector's property files and the Tomcat service. The package also holds\n"
       "the consistency check (hcpcheck), the settings editor (hcpreg), the\n"
       "management service (hcpsrv) with its systemd unit, the service host\n"
       "(hcpsvc), the removal tool (cleanrun) and the default Tomcat provider.")
# Programs lose their debug information in the packages. cpack packs what is
# built: scripts/package.sh builds the programs first, not the tests.
set(CPACK_STRIP_FILES ON)
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

if(WIN32)
  # One flat folder: README.txt says where each file goes under the panel's
  # directories. The import libraries of the programs that export symbols
  # stay out.
  install(TARGETS ${WC_PACKAGED_PROGRAMS} tomcatprovider RUNTIME DESTINATION . ARCHIVE DESTINATION lib
          EXCLUDE_FROM_ALL)
  install(FILES packaging/windows/README.txt packaging/windows/settings-example.reg DESTINATION . OPTIONAL)
  # pugixml is linked into the programs: its licence asks for its notice.
  install(FILES ${WC_PUGIXML_SOURCE_DIR}/LICENSE.md DESTINATION . RENAME pugixml-LICENSE.md)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win64)
else()
  # Everything under /usr/lib/wcadmin: wcadmin and cleanrun find the service
  # host in the directory of their own file, and the default settings name the
  # provider there. The commands an administrator types are linked into
  # /usr/sbin.
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  install(TARGETS ${WC_PACKAGED_PROGRAMS} tomcatprovider RUNTIME DESTINATION lib/wcadmin LIBRARY DESTINATION lib/wcadmin)
  set(generated ${CMAKE_BINARY_DIR}/packaging)
  file(MAKE_DIRECTORY ${generated}/sbin)
  foreach(command wcadmin hcpcheck hcpreg)
    file(CREATE_LINK ../lib/wcadmin/${command} ${generated}/sbin/${command} SYMBOLIC)
    install(FILES ${generated}/sbin/${command} DESTINATION sbin)
  endforeach()
  install(FILES packaging/systemd/hcpsrv.service DESTINATION lib/systemd/system)

  # Manual pages and the changelog, compressed as Debian wants them: gzip -9n
  # (no name or time stamp, so the same text gives the same bytes).
  find_program(WC_GZIP gzip REQUIRED)
  function(wc_gzip_configured source target)
    configure_file(${source} ${target} @ONLY)
    execute_process(COMMAND ${WC_GZIP} -9nf ${target} COMMAND_ERROR_IS_FATAL ANY)
  endfunction()
  foreach(program IN LISTS WC_PACKAGED_PROGRAMS)
    set(page ${PROJECT_SOURCE_DIR}/packaging/man/${program}.8.in)
    if(EXISTS ${page})
      wc_gzip_configured(${page} ${generated}/man/${program}.8)
      install(FILES ${generated}/man/${program}.8.gz DESTINATION share/man/man8)
    else()
      message(WARNING "${program} has no manual page (packaging/man/${program}.8.in)")
    endif()
  endforeach()
  wc_gzip_configured(packaging/debian/changelog.in ${generated}/doc/changelog)
  install(FILES ${generated}/doc/changelog.gz packaging/debian/copyright DESTINATION share/doc/wcadmin)

  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION admin)
  # Depends from the shared libraries the programs link (dpkg-shlibdeps),
  # plus ICU's, which the programs load at run time (see CMakeLists.txt).
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libicu${WC_ICU_MAJOR_VERSION}")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "tomcat10, tomcat10-admin")
  # The maintainer scripts tell systemd about the unit (and replace the
  # ldconfig calls CPack would write for a library under /usr/lib: the
  # provider is a plug-in, not a library for the linker).
  set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/debian/postinst
                                         ${PROJECT_SOURCE_DIR}/packaging/debian/postrm)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
endif()
include(CPack)
