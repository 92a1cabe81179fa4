# Installed like a Linux tool: raw2tvx and dpxinfo, their man pages made at
# build time by help2man from the programs' own --help and --version, and
# bash completion; and a Debian package of the same through CPack.
#   make install [PREFIX=/usr/local] [DESTDIR=...]   make deb
include(GNUInstallDirs)

# Installing and packaging need only the installed programs and pages, which
# the Makefile builds; not every test and benchmark of the default target.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

# The version both programs print with --version.
foreach(program raw2tvx dpxinfo)
  target_compile_definitions(${program} PRIVATE RAW2TVX_VERSION="${PROJECT_VERSION}")
endforeach()

install(TARGETS raw2tvx dpxinfo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The movie module, where raw2tvx looks for it: ../lib/raw2tvx/modules from its
# directory. A level below lib/raw2tvx, so that the package gets no ldconfig
# scripts (the module is no library for others), and apt-get remove leaves nothing.
install(TARGETS raw2tvx-movie LIBRARY DESTINATION lib/raw2tvx/modules)
install(FILES ${PROJECT_SOURCE_DIR}/scripts/bash-completion/raw2tvx
              ${PROJECT_SOURCE_DIR}/scripts/bash-completion/dpxinfo
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# Man pages. help2man runs each program through a small wrapper: standard
# input from /dev/null, so that raw2tvx's help never waits at its pager
# prompt, and that prompt, with the backspaces that erase it, left out.
set(RAW2TVX_MAN_NAME_raw2tvx "convert camera RAW clips into movies and DPX sequences")
set(RAW2TVX_MAN_NAME_dpxinfo "print what the headers of DPX files say")
find_program(HELP2MAN help2man)
set(man_pages)
if(HELP2MAN)
  set(man_dir ${PROJECT_BINARY_DIR}/man)
  foreach(program raw2tvx dpxinfo)
    set(wrapper ${man_dir}/${program}-for-help2man)
    file(GENERATE OUTPUT ${wrapper}
      CONTENT "#!/bin/bash\nset -o pipefail\n\"$<TARGET_FILE:${program}>\" \"$@\" </dev/null | sed 's/---- more ----//' | tr -d '\\010'\n"
      FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    set(include_file ${PROJECT_SOURCE_DIR}/doc/man/${program}.h2m)
    add_custom_command(OUTPUT ${man_dir}/${program}.1.gz
      COMMAND ${HELP2MAN} --no-info --name=${RAW2TVX_MAN_NAME_${program}}
              --include=${include_file} --output=${man_dir}/${program}.1 ${wrapper}
      COMMAND gzip -9nf ${man_dir}/${program}.1
      DEPENDS ${program} ${wrapper} ${include_file}
      COMMENT "Man page of ${program} from its --help"
      VERBATIM)
    list(APPEND man_pages ${man_dir}/${program}.1.gz)
  endforeach()
  install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(WARNING "help2man not found: raw2tvx installs without man pages (scripts/install-deps installs it)")
endif()
add_custom_target(man_pages ALL DEPENDS ${man_pages})

# make deb: a Debian package installing under /usr, its library dependencies
# found by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME raw2tvx)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "raw2tvx developers <raw2tvx@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "converts camera RAW clips into movies and DPX sequences")
set(CPACK_PACKAGE_DESCRIPTION
    "raw2tvx converts camera RAW clips, one or a whole card at a time, into
AVI or MOV movies (the RAW Bayer frames, RGB 4:4:4 or YUV 4:2:2) or numbered
10-bit DPX sequences. dpxinfo prints what the headers of DPX files say.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS bash-completion)
include(CPack)
