# The decoder against Debian's LZH tools: lha packs a corpus made by code with each method, and
# `ombrix test` and `ombrix extract` must agree with lhasa, 7zz and bsdtar byte for byte.
find_program(OMBRIX_DECODE_PYTHON python3)

foreach(method IN ITEMS stored lh5 lh6 lh7)
  add_test(NAME decode.peers.${method}
           COMMAND ${OMBRIX_DECODE_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/decode/cross_check.py
                   $<TARGET_FILE:ombrix> ${method})
  set_tests_properties(decode.peers.${method} PROPERTIES
    LABELS peers SKIP_RETURN_CODE 77 TIMEOUT 180
    ENVIRONMENT PYTHONDONTWRITEBYTECODE=1)
endforeach()
