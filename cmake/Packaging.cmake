# The Debian package: the installed program (see src/CMakeLists.txt) under /usr, with
# its AppStream metainfo, manual page, copyright and changelog. The version is the
# project's; the runtime libraries come from dpkg-shlibdeps, and the Qt plugins the
# program loads (windows, off-screen drawing for --batch, TIFF) are named here.
include(GNUInstallDirs)
set(QUILLMERE_PACKAGE_FILES ${PROJECT_SOURCE_DIR}/resources/package)
set(QUILLMERE_GENERATED ${CMAKE_BINARY_DIR}/package-files)

configure_file(${PROJECT_SOURCE_DIR}/resources/desktop/com.fennmoor.Quillmere.metainfo.xml
               ${QUILLMERE_GENERATED}/com.fennmoor.Quillmere.metainfo.xml @ONLY)
install(FILES ${QUILLMERE_GENERATED}/com.fennmoor.Quillmere.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Compressed as Debian wants them: at the highest level, without a time stamp.
function(quillmere_gzip source target)
    configure_file(${source} ${QUILLMERE_GENERATED}/${target} @ONLY)
    execute_process(COMMAND gzip -9nf ${QUILLMERE_GENERATED}/${target} RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "Could not compress ${target}")
    endif()
endfunction()
quillmere_gzip(${QUILLMERE_PACKAGE_FILES}/quillmere.1 quillmere.1)
quillmere_gzip(${QUILLMERE_PACKAGE_FILES}/changelog changelog)
install(FILES ${QUILLMERE_GENERATED}/quillmere.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${QUILLMERE_GENERATED}/changelog.gz ${QUILLMERE_PACKAGE_FILES}/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quillmere)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillmere)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Fennmoor Software")
set(CPACK_PACKAGE_CONTACT "Fennmoor Software <quillmere@fennmoor.software>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "thumbnails of pictures and the web page that shows them")
set(CPACK_PACKAGE_DESCRIPTION "Quillmere opens a picture or a folder of pictures (JPEG, BMP, GIF, PNG,
TIFF, Targa, Windows metafile, icon, PCX, HEIC, HEIF, AVIF and WebP), makes
a thumbnail of each and writes the HTML of a thumbnail web page from them,
with many layout, colour and font options. It saves the thumbnails, copies
the pictures into folders that mirror the web site, previews the page in a
browser and builds whole sites from the command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-image-formats-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
