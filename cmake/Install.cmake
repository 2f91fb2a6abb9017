# Installation and the Debian package: programs in bin/, the staged working directory (pictures,
# sounds, question packs) in share/brindlemark/, systemd units and the operator guide.
include(GNUInstallDirs)

foreach(program brindlemark brindlemark-credit brindlemark-assets brindlemark-packs
                brindlemark-inspect brindlemark-audit brindlemark-sim brindlemark-telemetry
                brindlemark-collector brindlemark-console)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

# Only the files the game reads: a game run in the staged folder leaves its audit record and log
# there, and those belong to that cabinet, not to the package.
foreach(folder Graphic_resource sounds Questions)
  install(DIRECTORY ${BRINDLEMARK_STAGE}/${folder} DESTINATION ${CMAKE_INSTALL_DATADIR}/brindlemark)
endforeach()
install(PROGRAMS packaging/brindlemark-cabinet DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES packaging/systemd/brindlemark-credit.service packaging/systemd/brindlemark.service
              packaging/systemd/brindlemark-console.service DESTINATION lib/systemd/system)
# The fleet: the cabinet's telemetry agent and, at the operator's, the broker and the collector.
# Each unit starts only once its configuration file exists.
if(TARGET brindlemark-telemetry AND TARGET brindlemark-collector)
  install(PROGRAMS packaging/brindlemark-fleet-setup packaging/brindlemark-broker
          DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES packaging/systemd/brindlemark-telemetry.service
                packaging/systemd/brindlemark-collector.service
                packaging/systemd/brindlemark-broker.service DESTINATION lib/systemd/system)
  install(DIRECTORY tools/collector/migrations DESTINATION ${CMAKE_INSTALL_DATADIR}/brindlemark-fleet)
  install(FILES packaging/telemetry.conf.example packaging/collector.conf.example docs/fleet.md
          DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()
# The services' own system user, made by the package's postinst through systemd-sysusers.
install(FILES packaging/sysusers/brindlemark.conf DESTINATION lib/sysusers.d)
install(FILES docs/operator-guide.md docs/payout-table.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brindlemark)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Coin-operated true-or-false quiz cabinet, with its credit service")
set(CPACK_PACKAGE_CONTACT "Brindlemark developers <cabinet@brindlemark.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# brindlemark-assets draws its pictures with the DejaVu faces.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-dejavu-core)
# The fleet's central machine runs the broker and the database.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "mosquitto, postgresql")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/debian/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
