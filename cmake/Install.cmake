# What `cmake --install` puts under the prefix: the module, its public
# headers in an include folder of their own, the vomtrail command, and the
# files other builds use to find the module (pkg-config, CMake package).
# The static core library stays a build detail. The Windows build installs
# the same layout: bin/Vomtrail.dll beside bin/vomtrail.exe, the headers,
# and lib/libVomtrail.dll.a for hosts that link the DLL.
include(CMakePackageConfigHelpers)

set(VT_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Vomtrail)

install(TARGETS ${VT_MODULE} EXPORT VomtrailTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES Vomtrail/Vomtrail.h Plugin/TagInfo.h Plugin/InfoIds.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vomtrail)

if(TARGET vomtrail_host)
  # The command finds the library of its own prefix wherever that lies.
  if(NOT WIN32)
    set_target_properties(vomtrail_host PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
  endif()
  install(TARGETS vomtrail_host RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(NOT WIN32)
  # The ids --info takes, with what each means, from the one table of INFO
  # ids; ISFT and IID3 the module writes itself.
  file(STRINGS Plugin/InfoIds.h vt_info_rows REGEX "X\\([0-9]+, \"[A-Z0-9]+\", \"[^\"]*\"\\)")
  string(REPLACE "\\" "" vt_info_rows "${vt_info_rows}")  # the macro's line ends would escape the list's ;
  set(VT_MAN_INFO_IDS "")
  foreach(row IN LISTS vt_info_rows)
    string(REGEX REPLACE ".*X\\([0-9]+, \"([A-Z0-9]+)\", \"([^\"]*)\"\\).*" "\\1 \\2" entry "${row}")
    if(NOT entry MATCHES "^(ISFT|IID3) ")
      list(APPEND VT_MAN_INFO_IDS "${entry}")
    endif()
  endforeach()
  list(JOIN VT_MAN_INFO_IDS ", " VT_MAN_INFO_IDS)
  configure_file(doc/vomtrail.1.in ${CMAKE_CURRENT_BINARY_DIR}/doc/vomtrail.1 @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/doc/vomtrail.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

if(WIN32)
  # The linker's own import library names the plain symbols that --kill-at
  # left in the DLL, which a stdcall caller's compiler never emits (it asks
  # for GetVersion@4). dlltool -k builds one whose decorated symbols import
  # the DLL's plain names; it replaces the linker's after every link.
  find_program(VT_DLLTOOL NAMES i686-w64-mingw32-dlltool dlltool REQUIRED)
  add_custom_command(TARGET Vomtrail POST_BUILD
    COMMAND ${VT_DLLTOOL} -k -d ${PROJECT_SOURCE_DIR}/cmake/Vomtrail-import.def -l $<TARGET_LINKER_FILE:Vomtrail>
    VERBATIM)
  set(VT_PC_LIB Vomtrail)
else()
  set(VT_PC_LIB vomtrail)
endif()

# pkg-config: the prefix is taken from where the .pc file lies, so a tree
# installed with `cmake --install --prefix P` or copied elsewhere still works.
file(RELATIVE_PATH VT_PC_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
string(REGEX REPLACE "/$" "" VT_PC_PREFIX "${VT_PC_PREFIX}")
configure_file(cmake/vomtrail.pc.in ${CMAKE_CURRENT_BINARY_DIR}/vomtrail.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/vomtrail.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# The inspection's report for C callers (Linux): its library, header and
# pkg-config file; find_package gives it as Vomtrail::inspect.
if(TARGET vomtrail_inspect_shared)
  install(TARGETS vomtrail_inspect_shared EXPORT VomtrailTargets LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
  install(FILES host/library/VomtrailInspect.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vomtrail)
  configure_file(cmake/vomtrail-inspect.pc.in ${CMAKE_CURRENT_BINARY_DIR}/vomtrail-inspect.pc @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/vomtrail-inspect.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endif()

install(EXPORT VomtrailTargets NAMESPACE Vomtrail:: DESTINATION ${VT_CMAKE_DIR})
configure_package_config_file(cmake/VomtrailConfig.cmake.in ${CMAKE_CURRENT_BINARY_DIR}/VomtrailConfig.cmake
  INSTALL_DESTINATION ${VT_CMAKE_DIR})
# A new major version changes the record or the exports.
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/VomtrailConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/VomtrailConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/VomtrailConfigVersion.cmake
  DESTINATION ${VT_CMAKE_DIR})
