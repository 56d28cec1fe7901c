# Installs the whole build into a temporary prefix and checks the tree (tests/install/).
# Needs the program built first (the default build target builds it).
add_test(NAME install_tree
  COMMAND ${CMAKE_COMMAND}
    -DBUILD_DIR=${PROJECT_BINARY_DIR}
    -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
    -DWORK_DIR=${CMAKE_CURRENT_BINARY_DIR}/install_tree
    -DBINDIR=${CMAKE_INSTALL_BINDIR}
    -DPROGRAM_DIR=${CMAKE_INSTALL_LIBDIR}/lumarel
    -DDATADIR=${CMAKE_INSTALL_DATADIR}
    -DAPP_ID=io.github.lumarel.Lumarel
    -P ${PROJECT_SOURCE_DIR}/tests/install/check_install.cmake)
set_tests_properties(install_tree PROPERTIES TIMEOUT 120)
