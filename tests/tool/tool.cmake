# The host tool against Debian's LZH tools: archives they make are listed as they list them, and
# archives the tool packs are read and extracted by them byte for byte.
find_program(OMBRIX_TOOL_PYTHON python3)

foreach(case IN ITEMS info_lists_lha_archives peers_read_plain_packs)
  add_test(NAME tool.${case}
           COMMAND ${OMBRIX_TOOL_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/tool/peer_archives.py
                   $<TARGET_FILE:ombrix> ${case})
  set_tests_properties(tool.${case} PROPERTIES
    LABELS tool SKIP_RETURN_CODE 77 TIMEOUT 120
    ENVIRONMENT PYTHONDONTWRITEBYTECODE=1)
endforeach()

# Packing with compression: round trips through the peers for every method, deterministic output,
# refused inputs, and archives of other archivers carried inside a distributable.
foreach(case IN ITEMS "round_trip lh0" "round_trip lh5" "round_trip lh6" "round_trip lh7"
                      deterministic bad_inputs from_lzh)
  separate_arguments(arguments UNIX_COMMAND "${case}")
  string(REPLACE " " "." name "${case}")
  add_test(NAME tool.pack.${name}
           COMMAND ${OMBRIX_TOOL_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/tool/pack_cases.py
                   $<TARGET_FILE:ombrix> ${arguments})
  set_tests_properties(tool.pack.${name} PROPERTIES
    LABELS tool SKIP_RETURN_CODE 77 TIMEOUT 180
    ENVIRONMENT PYTHONDONTWRITEBYTECODE=1)
endforeach()
