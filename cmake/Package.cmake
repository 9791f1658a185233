# What the package holds: the stripped assistant and dlcpeer, the peer kit (public headers, the
# library built here, its sources with their own CMake project, the package configuration) and the
# integrators' README; nothing of the tests. scripts/package installs it into a stage, signs the
# executables there, and CPack zips the stage.
set(KavoPeerKit_SOURCE_ROOT ${CMAKE_SOURCE_DIR})
set(KavoPeerKit_INCLUDE_ROOT ${CMAKE_SOURCE_DIR})
add_subdirectory(peerkit/sdk)
include(peerkit/sdk/KavoPeerKitFiles.cmake)
# A DLL of the kit's objects must resolve every reference among them: a source missing from the
# kit's list fails here rather than in a peer's link.
add_library(da_peerkit_complete SHARED $<TARGET_OBJECTS:KavoPeerKit>)
target_link_libraries(da_peerkit_complete PRIVATE user32 shell32 ole32 advapi32)
set_target_properties(da_peerkit_complete PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/peerkit-check)

install(TARGETS KavoDownloadAssistant dlcpeer RUNTIME DESTINATION .)
install(FILES packaging/README.md DESTINATION .)

set(kit_config_dir sdk/lib/cmake/KavoPeerKit)
install(TARGETS KavoPeerKit EXPORT KavoPeerKitTargets ARCHIVE DESTINATION sdk/lib INCLUDES DESTINATION sdk/include)
install(EXPORT KavoPeerKitTargets NAMESPACE Kavo:: DESTINATION ${kit_config_dir})
foreach(file IN LISTS KavoPeerKit_PUBLIC_HEADERS)
    get_filename_component(folder ${file} DIRECTORY)
    install(FILES ${file} DESTINATION sdk/include/${folder})
endforeach()
foreach(file IN LISTS KavoPeerKit_SOURCES KavoPeerKit_PRIVATE_HEADERS)
    get_filename_component(folder ${file} DIRECTORY)
    install(FILES ${file} DESTINATION sdk/src/${folder})
endforeach()
install(FILES peerkit/sdk/CMakeLists.txt peerkit/sdk/KavoPeerKitFiles.cmake DESTINATION sdk/src)

include(CMakePackageConfigHelpers)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(DA_PACKAGE_ARCH win64)
else()
    set(DA_PACKAGE_ARCH win32)
endif()
configure_file(peerkit/sdk/KavoPeerKitConfig.cmake.in KavoPeerKitConfig.cmake @ONLY)
# Any architecture may take either package: the configuration builds the kit when the prebuilt one
# does not fit.
write_basic_package_version_file(KavoPeerKitConfigVersion.cmake VERSION ${PROJECT_VERSION}
                                 COMPATIBILITY SameMajorVersion ARCH_INDEPENDENT)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/KavoPeerKitConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/KavoPeerKitConfigVersion.cmake DESTINATION ${kit_config_dir})

# CPack zips the stage that scripts/package installed and signed rather than installing afresh:
# the signatures are made between the two.
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME KavoDownloadAssistant)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-${DA_PACKAGE_ARCH})
set(CPACK_INSTALL_CMAKE_PROJECTS "")
set(CPACK_INSTALLED_DIRECTORIES "${CMAKE_BINARY_DIR}/package-stage;.")
include(CPack)
