if(RAW2TVX_SANITIZE)
  set(sanitize_flags -fsanitize=address,undefined -fno-sanitize-recover=all
      -fno-omit-frame-pointer)
  add_compile_options(${sanitize_flags})
  add_link_options(${sanitize_flags})
endif()
if(RAW2TVX_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()
# libFuzzer builds (clang only): every library instrumented for coverage and
# checked by AddressSanitizer and UndefinedBehaviorSanitizer; the fuzz
# targets link the fuzzer's main (tests/fuzz).
if(RAW2TVX_FUZZ)
  set(fuzz_flags -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
      -fno-omit-frame-pointer)
  add_compile_options(${fuzz_flags})
  add_link_options(-fsanitize=address,undefined)
endif()
