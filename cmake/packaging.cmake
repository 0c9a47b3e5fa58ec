# The release zip for Windows users: Quorvel.exe and the README, made by
# `cmake --build --preset windows --target package` (CPack's ZIP generator).
install(TARGETS Quorvel RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION . OPTIONAL)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Quorvel)
set(CPACK_PACKAGE_VENDOR Quorvel)
set(CPACK_PACKAGE_FILE_NAME "Quorvel-${PROJECT_VERSION}-win32")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
