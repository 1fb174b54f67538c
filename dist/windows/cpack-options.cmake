# What differs between the packages that CPack makes from one build (CPACK_PROJECT_CONFIG_FILE).
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_FILE_NAME}-setup")
endif()
