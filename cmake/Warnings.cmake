# Warnings are errors in every build. A user string must never become a
# printf format, so non-literal formats are errors too.
add_compile_options(
  -Wall -Wextra -Wpedantic -Werror
  -Wformat=2 -Werror=format-nonliteral -Werror=format-security
  -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
  -Wnull-dereference -Wdouble-promotion -Wimplicit-fallthrough)
# Release keeps asserts on: a broken invariant must stop the program.
string(REPLACE "-DNDEBUG" "" CMAKE_CXX_FLAGS_RELEASE "${CMAKE_CXX_FLAGS_RELEASE}")
string(REPLACE "-DNDEBUG" "" CMAKE_CXX_FLAGS_RELWITHDEBINFO "${CMAKE_CXX_FLAGS_RELWITHDEBINFO}")
# g++ 12 reports overlaps inside libstdc++'s own std::string code at -O2
# (GCC bug 105651); these are not in our code and cannot be fixed here.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  add_compile_options(-Wno-restrict)
endif()
