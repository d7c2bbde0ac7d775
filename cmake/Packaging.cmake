# The Debian packages, made by the build's package target (CPack):
#
#   kivo-terminal   kivo-host, the plug-in and the libraries of ours they load, a desktop entry
#   kivo-server     kivo-oms, kivo-maker, kivo-admin, the services of the bus and of the server,
#                   and maintainer scripts that make the service's user, the database and the
#                   secured bus's folder at the first installation
#
# Each package keeps our libraries in a folder of its own, so that both install on one machine.
# docs/deployment.md says what goes where and what installing, upgrading and removing do.
if(KIVO_SANITIZE OR KIVO_FUZZ)
    return()
endif()

# Where the server's package puts what it makes; the units, the maintainer scripts and
# kivo-admin are written from these.
set(KIVO_SERVICE_USER kivo)
set(KIVO_DATA_DIR /var/lib/kivo)
set(KIVO_DATABASE ${KIVO_DATA_DIR}/kivo-oms.db)
set(KIVO_BUS_DIR /etc/kivo-bus)
set(KIVO_BUS_STORAGE /var/lib/kivo-bus)
set(KIVO_BUS_PORT 4222)
set(KIVO_BUS_UNIT kivo-bus.service)
# A cluster's node N runs as kivo-bus@N.service.
set(KIVO_BUS_NODE_UNIT_PREFIX kivo-bus@)
set(KIVO_OMS_NAME kivo-oms)
set(KIVO_OMS_UNIT ${KIVO_OMS_NAME}.service)
set(KIVO_OMS_PROGRAM /usr/bin/kivo-oms)
set(KIVO_HOST_PROGRAM /usr/bin/kivo-host)
set(KIVO_ADMIN_PROGRAM /usr/sbin/kivo-admin)
# Debian's nats-server, which the server's package depends on.
set(KIVO_PACKAGED_NATS_SERVER /usr/sbin/nats-server)

set(_kivo_packaging ${PROJECT_SOURCE_DIR}/packaging)
set(_kivo_staged ${PROJECT_BINARY_DIR}/packaging)
foreach(_file kivo-admin kivo-bus.service kivo-bus@.service kivo-oms.service kivo-oms.default kivo-host.desktop)
    configure_file(${_kivo_packaging}/${_file}.in ${_kivo_staged}/${_file} @ONLY)
endforeach()
# The control files CPack takes by their Debian names.
foreach(_file postinst prerm postrm conffiles)
    configure_file(${_kivo_packaging}/server-${_file}.in ${_kivo_staged}/server/${_file} @ONLY)
endforeach()

# Installed programs find our libraries by a path relative to themselves.
set_target_properties(kivo-host PROPERTIES INSTALL_RPATH "$ORIGIN/../${KIVO_TERMINAL_LIBDIR}")
set_target_properties(kivo-oms kivo-maker PROPERTIES INSTALL_RPATH "$ORIGIN/../${KIVO_SERVER_LIBDIR}")
set(_kivo_terminal_libraries winlib connect DozizEdizizi)
if(TARGET winlib_qt)
    list(APPEND _kivo_terminal_libraries winlib_qt)
endif()
set_target_properties(${_kivo_terminal_libraries} PROPERTIES INSTALL_RPATH "$ORIGIN")

install(TARGETS kivo-host RUNTIME DESTINATION bin COMPONENT terminal)
install(TARGETS ${_kivo_terminal_libraries} LIBRARY DESTINATION ${KIVO_TERMINAL_LIBDIR} COMPONENT terminal)
install(FILES ${_kivo_staged}/kivo-host.desktop DESTINATION share/applications COMPONENT terminal)

install(TARGETS kivo-oms kivo-maker RUNTIME DESTINATION bin COMPONENT server)
install(TARGETS winlib connect LIBRARY DESTINATION ${KIVO_SERVER_LIBDIR} COMPONENT server)
install(PROGRAMS ${_kivo_staged}/kivo-admin DESTINATION sbin COMPONENT server)
install(FILES ${_kivo_staged}/kivo-bus.service ${_kivo_staged}/kivo-bus@.service ${_kivo_staged}/kivo-oms.service
        DESTINATION /lib/systemd/system COMPONENT server)
install(FILES ${_kivo_staged}/kivo-oms.default DESTINATION /etc/default RENAME ${KIVO_OMS_NAME} COMPONENT server)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kivo)
set(CPACK_PACKAGE_VENDOR "Kivo")
set(CPACK_PACKAGE_CONTACT "Kivo maker-checker team <maker-checker@kivo-trade.in>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL terminal server)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The shared libraries' packages, with the versions their symbols need, from what the
# programs link (dpkg-shlibdeps on Debian 12's symbols files); what no program links is named below.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

set(CPACK_DEBIAN_TERMINAL_PACKAGE_NAME kivo-terminal)
set(CPACK_COMPONENT_TERMINAL_DESCRIPTION "Trading terminal with the Maker Checker console
kivo-host docks the Maker Checker console, in which a checker accepts, rejects
or updates the changes makers entered. It runs the order-management server
inside itself, or meets kivo-oms on a secured message bus (kivo-server).")
set(CPACK_DEBIAN_TERMINAL_PACKAGE_RECOMMENDS "fonts-dejavu-core")

set(CPACK_DEBIAN_SERVER_PACKAGE_NAME kivo-server)
set(CPACK_COMPONENT_SERVER_DESCRIPTION "Maker Checker order-management server and its message bus
kivo-oms keeps makers' requests and checkers' decisions in its database and
serves terminals and makers on a NATS message bus with TLS and credentials of
each user's own; kivo-maker enters requests. The services kivo-bus and
kivo-oms run them; kivo-admin gives users access to the bus.")
set(CPACK_DEBIAN_SERVER_PACKAGE_DEPENDS "nats-server (>= 2.9), adduser")
set(CPACK_DEBIAN_SERVER_PACKAGE_SUGGESTS "sqlite3")
set(CPACK_DEBIAN_SERVER_PACKAGE_CONTROL_EXTRA
    ${_kivo_staged}/server/postinst ${_kivo_staged}/server/prerm ${_kivo_staged}/server/postrm
    ${_kivo_staged}/server/conffiles)

include(CPack)
