# The official BCF test archives and XML schemas live outside the repository (next to it by
# default). The tests, the fuzzers' seed corpora and scripts/run find them through these cache
# variables, e.g. `cmake -DBCF_TESTCASES_DIR=/data/bcf-testcases -DBCF_XSD_DIR=/data/bcf-xsd`.
set(BCF_TESTCASES_DIR "${PROJECT_SOURCE_DIR}/../shared/bcf-testcases" CACHE PATH
    "Folder of the official BCF test archives (subfolders 2.1 and 3.0)")
set(BCF_XSD_DIR "${PROJECT_SOURCE_DIR}/../shared/bcf-xsd" CACHE PATH
    "Folder of the official BCF XML schemas (subfolders 2.1 and 3.0)")

# bcf_require_test_data(): fails the configuration with a clear message when a folder is missing;
# afterwards the variables hold the folders' canonical paths (no "..", no symbolic links), the form
# in which the tests find them in what they print.
function(bcf_require_test_data)
  foreach(check "BCF_TESTCASES_DIR|2.1/Markup_MaximumInformation.bcf|official BCF test archives"
                "BCF_XSD_DIR|3.0/markup.xsd|official BCF XML schemas")
    string(REPLACE "|" ";" check "${check}")
    list(GET check 0 variable)
    list(GET check 1 probe)
    list(GET check 2 what)
    file(REAL_PATH "${${variable}}" folder BASE_DIRECTORY "${PROJECT_SOURCE_DIR}")
    if(NOT EXISTS "${folder}/${probe}")
      message(FATAL_ERROR
        "${variable} is '${${variable}}', which does not hold the ${what} (no ${probe} there). "
        "Configure with -D${variable}=<folder holding them>, or -DBUILD_TESTING=OFF to build "
        "without the tests.")
    endif()
    set(${variable} "${folder}" PARENT_SCOPE)
  endforeach()
endfunction()
