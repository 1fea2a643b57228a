# The help documents that the Help menu opens: the Markdown manuals in docs/manual turned into
# A4 PDFs by qrx-helpdoc at build time, in ${CMAKE_BINARY_DIR}/Doc (the build tree is the demo's
# installation directory), and the program that retakes the manual's screenshots.

if(QRX_FUZZ)
    return() # the fuzz build makes only the fuzz targets
endif()

option(QRX_DOC_SHOTS "Build qrx-doc-shots, which retakes the manual's screenshots" ON)

add_executable(qrx-helpdoc ${CMAKE_SOURCE_DIR}/tools/helpdoc/helpdoc_main.cpp)
target_link_libraries(qrx-helpdoc PRIVATE Qt6::Gui)

if(QRX_DOC_SHOTS)
    add_executable(qrx-doc-shots ${CMAKE_SOURCE_DIR}/tools/shots/shots_main.cpp)
    target_link_libraries(qrx-doc-shots PRIVATE qrx_core)
endif()

set(QRX_MANUAL_DIR ${CMAKE_SOURCE_DIR}/docs/manual)
set(QRX_HELP_DIR ${CMAKE_BINARY_DIR}/Doc)
set(QRX_HELP_GERMAN ${QRX_HELP_DIR}/QRX-QTX-RS485_MODBUS.pdf)
set(QRX_HELP_ENGLISH ${QRX_HELP_DIR}/QRX-QTX-RS485_MODBUS_engl.pdf)
file(GLOB QRX_MANUAL_PICTURES CONFIGURE_DEPENDS ${QRX_MANUAL_DIR}/img/*.png)

# headless, and without the leak report of a sanitizer build ending the build
set(QRX_HELPDOC_ENV ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0)

add_custom_command(OUTPUT ${QRX_HELP_GERMAN}
    COMMAND ${QRX_HELPDOC_ENV} $<TARGET_FILE:qrx-helpdoc> ${QRX_MANUAL_DIR}/manual-de.md
            ${QRX_HELP_GERMAN} "QRX-QTX-RS485-Modbus Konfigurationssoftware - Bedienungsanleitung"
    DEPENDS qrx-helpdoc ${QRX_MANUAL_DIR}/manual-de.md ${QRX_MANUAL_PICTURES}
    COMMENT "Help document (German)" VERBATIM)
add_custom_command(OUTPUT ${QRX_HELP_ENGLISH}
    COMMAND ${QRX_HELPDOC_ENV} $<TARGET_FILE:qrx-helpdoc> ${QRX_MANUAL_DIR}/manual-en.md
            ${QRX_HELP_ENGLISH} "QRX-QTX-RS485-Modbus Configuration Software - User Manual"
    DEPENDS qrx-helpdoc ${QRX_MANUAL_DIR}/manual-en.md ${QRX_MANUAL_PICTURES}
    COMMENT "Help document (English)" VERBATIM)
add_custom_target(help_documents ALL DEPENDS ${QRX_HELP_GERMAN} ${QRX_HELP_ENGLISH})

install(FILES ${QRX_HELP_GERMAN} ${QRX_HELP_ENGLISH}
    DESTINATION ${CMAKE_INSTALL_DATADIR}/qrx-qtx-rs485-modbus/Doc)
