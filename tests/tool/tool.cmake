# The host tool against Debian's LZH tools (peers.py): label `tool` for listing and packing,
# `peers` for the decoder's cross-check, one test a method.
foreach(name IN ITEMS tool.info_lists_lha_archives tool.peers_read_plain_packs peers.decode_stored
                      peers.decode_lh5 peers.decode_lh6 peers.decode_lh7)
  string(REGEX MATCH "^[^.]+" label ${name})
  string(REGEX REPLACE "^[^.]+[.]" "" peer_case ${name})
  add_test(NAME ${name} COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/peers.py ${peer_case})
  set_tests_properties(${name} PROPERTIES LABELS ${label} SKIP_RETURN_CODE 77 TIMEOUT 180
    ENVIRONMENT "OMBRIX=$<TARGET_FILE:ombrix>;PYTHONDONTWRITEBYTECODE=1")
endforeach()

# Packing with compression: round trips through the peers for every method, deterministic output,
# refused inputs, and archives of other archivers carried inside a distributable.
foreach(case IN ITEMS "round_trip lh0" "round_trip lh5" "round_trip lh6" "round_trip lh7"
                      deterministic bad_inputs from_lzh)
  separate_arguments(arguments UNIX_COMMAND "${case}")
  string(REPLACE " " "." name "${case}")
  add_test(NAME tool.pack.${name}
           COMMAND python3 ${CMAKE_CURRENT_SOURCE_DIR}/tool/pack_cases.py
                   $<TARGET_FILE:ombrix> ${arguments})
  set_tests_properties(tool.pack.${name} PROPERTIES
    LABELS tool SKIP_RETURN_CODE 77 TIMEOUT 180
    ENVIRONMENT PYTHONDONTWRITEBYTECODE=1)
endforeach()
