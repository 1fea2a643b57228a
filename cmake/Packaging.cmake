# Installation and the Debian package. Everything follows CMAKE_INSTALL_PREFIX as configured:
# programs in bin, the help documents in share/qrx-qtx-rs485-modbus/Doc (the installed settings
# name that folder as "Pfad"), the settings file in ${CMAKE_INSTALL_FULL_SYSCONFDIR}/korvalund
# (/etc/korvalund for the prefix /usr), which is also the program's default settings path.
# For a staged installation use DESTDIR: DESTDIR=/tmp/stage cmake --install build

set(QRX_SETTINGS_DIR ${CMAKE_INSTALL_FULL_SYSCONFDIR}/korvalund)
set(QRX_DEFAULT_SETTINGS_FILE ${QRX_SETTINGS_DIR}/qrx-qtx-rs485-modbus.reg)
set_property(SOURCE ${CMAKE_SOURCE_DIR}/src/core/StoredSettings.cpp APPEND PROPERTY
    COMPILE_DEFINITIONS QRX_DEFAULT_SETTINGS_FILE="${QRX_DEFAULT_SETTINGS_FILE}")

# Below the prefix (/usr/local/etc) the destination stays relative, so that an install with
# --prefix keeps the settings file inside that prefix as well.
file(RELATIVE_PATH QRX_SETTINGS_BELOW_PREFIX ${CMAKE_INSTALL_PREFIX} ${QRX_SETTINGS_DIR})
if(QRX_SETTINGS_BELOW_PREFIX MATCHES "^\\.\\.")
    set(QRX_SETTINGS_DESTINATION ${QRX_SETTINGS_DIR})
else()
    set(QRX_SETTINGS_DESTINATION ${QRX_SETTINGS_BELOW_PREFIX})
endif()
install(FILES ${CMAKE_BINARY_DIR}/qrx-qtx-rs485-modbus.reg DESTINATION ${QRX_SETTINGS_DESTINATION})
install(FILES ${CMAKE_SOURCE_DIR}/packaging/qrx-config.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/qrx-config.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# GPL-3.0-or-later; the Debian package carries it as its copyright file
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${CMAKE_SOURCE_DIR}/packaging/publish-example.conf
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/qrx-qtx-rs485-modbus)
# The publisher as a service, one instance a line: qrx-publish@NAME reads publish-NAME.conf beside
# the settings file. Below the prefix's lib/systemd/system (/usr/lib/systemd/system for /usr).
configure_file(${CMAKE_SOURCE_DIR}/packaging/qrx-publish@.service.in
    ${CMAKE_BINARY_DIR}/qrx-publish@.service @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/qrx-publish@.service DESTINATION lib/systemd/system)

# cpack -G DEB in the build folder. The package installs below the configured prefix; configure
# with -DCMAKE_INSTALL_PREFIX=/usr for a system package.
set(CPACK_PACKAGE_NAME qrx-qtx-rs485-modbus)
set(CPACK_PACKAGE_VENDOR "Korvalund")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Configuration tool for the Korvalund QRX/QTX RS485 Modbus gateway")
set(CPACK_PACKAGE_DESCRIPTION
    "qrx-config is the Modbus master (ASCII or RTU) for the Korvalund QRX/QTX RS485 Modbus \
gateway: it shows the learned radio sensors, learns sensors in and deletes them, sets the \
inversion of data byte 1 and the minimal response time, and on the transceiver writes and \
transmits the sender telegrams; it keeps a history of the sensor values with a trend chart and \
CSV export. qrx-cli does every operation from a shell, with output for scripts, and publishes \
the gateway to an MQTT broker (a systemd service per line, with Home Assistant discovery). \
qrx-gateway-sim simulates the gateway on a pseudo-terminal. \
With German and English help documents.")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Korvalund QRX tools <qrx-tools@korvalund.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON) # the package without the debug information of RelWithDebInfo
# The Qt 6 runtime (with the HTTP server and WebSockets of qrx-cli serve), libmosquitto and
# libqrencode: dpkg-shlibdeps (dpkg-dev) names the exact libraries where it is there. adduser makes the publisher's user (packaging/postinst).
find_program(QRX_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(QRX_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "adduser")
else()
    set(CPACK_DEBIAN_PACKAGE_DEPENDS
        "libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), libqt6serialport6 (>= 6.4), libqt6charts6 (>= 6.4), libqt6network6 (>= 6.4), libqt6httpserver6 (>= 6.4), libqt6websockets6 (>= 6.4), libmosquitto1 (>= 2.0), libqrencode4 (>= 4.1), adduser")
endif()
# the installed settings are the administrator's: an upgrade keeps changes to them
file(WRITE ${CMAKE_BINARY_DIR}/debian/conffiles "${QRX_DEFAULT_SETTINGS_FILE}\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/debian/conffiles
    ${CMAKE_SOURCE_DIR}/packaging/postinst)
set(CPACK_GENERATOR DEB)
include(CPack)
