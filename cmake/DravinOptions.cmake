# The compile and link options of everything dravin builds, in one place:
# the interface target dravin_options, which dravin_apply_options links into
# every library and executable of the source tree. Consumers of the installed
# package do not inherit it.
add_library(dravin_options INTERFACE)
target_compile_features(dravin_options INTERFACE cxx_std_20)

# The math is exact to the bit: no fused multiply-add, never fast-math.
target_compile_options(dravin_options INTERFACE
  -Wall -Wextra -Wpedantic -ffp-contract=off -fno-fast-math)

if(DRAVIN_TSAN)
  target_compile_options(dravin_options INTERFACE -fsanitize=thread -g)
  target_link_options(dravin_options INTERFACE -fsanitize=thread)
endif()
if(DRAVIN_ASAN)
  target_compile_options(dravin_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -g)
  target_link_options(dravin_options INTERFACE -fsanitize=address,undefined)
endif()
if(DRAVIN_FUZZ)
  target_compile_options(dravin_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined -g)
  target_link_options(dravin_options INTERFACE -fsanitize=address,undefined)
endif()

# Links dravin_options into every compiled target declared under dir (and its
# subdirectories), so that no target added later can miss the warnings or the
# floating-point rules. Called once, at the end of the top-level list.
function(dravin_apply_options dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(type MATCHES "^(STATIC_LIBRARY|SHARED_LIBRARY|OBJECT_LIBRARY|EXECUTABLE)$")
      target_link_libraries(${target} PRIVATE $<BUILD_INTERFACE:dravin_options>)
      set_target_properties(${target} PROPERTIES CXX_EXTENSIONS OFF)
    endif()
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir IN LISTS subdirs)
    dravin_apply_options(${subdir})
  endforeach()
endfunction()
