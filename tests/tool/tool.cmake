# The host tool against Debian's LZH tools (peers.py): label `tool` for packing, `peers` for
# listing and the decoder's cross-check, one test a method.
foreach(name IN ITEMS tool.bad_inputs tool.code_pages tool.large_files tool.round_trip_lh0 tool.round_trip_lh5
                      tool.round_trip_lh6 tool.round_trip_lh7 peers.decode_stored
                      peers.decode_lh5 peers.decode_lh6 peers.decode_lh7)
  string(REGEX MATCH "^[^.]+" label ${name})
  string(REGEX REPLACE "^[^.]+[.]" "" peer_case ${name})
  add_test(NAME ${name} COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/peers.py ${peer_case})
  set_tests_properties(${name} PROPERTIES LABELS ${label} SKIP_RETURN_CODE 77 TIMEOUT 180
    ENVIRONMENT "OMBRIX=$<TARGET_FILE:ombrix>;PYTHONDONTWRITEBYTECODE=1")
endforeach()

# One test an archive of tests/data/lzh-corpus, against lhasa.
execute_process(COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/archivers.py --list
                OUTPUT_VARIABLE archives OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
foreach(archive IN LISTS archives)
  add_test(NAME archivers.${archive} COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/archivers.py ${archive})
  set_tests_properties(archivers.${archive} PROPERTIES LABELS peers SKIP_RETURN_CODE 77 TIMEOUT 60
    ENVIRONMENT "OMBRIX=$<TARGET_FILE:ombrix>;PYTHONDONTWRITEBYTECODE=1")
endforeach()

# Signing with osslsigncode, and what info and test say of a signature.
foreach(name IN ITEMS signatures refused)
  add_test(NAME tool.signing_${name} COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/signing.py ${name})
  set_tests_properties(tool.signing_${name} PROPERTIES LABELS tool SKIP_RETURN_CODE 77 TIMEOUT 60
    ENVIRONMENT "OMBRIX=$<TARGET_FILE:ombrix>;PYTHONDONTWRITEBYTECODE=1")
endforeach()
