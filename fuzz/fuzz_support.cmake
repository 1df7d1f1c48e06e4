# The fuzz entry points and the seed generator, shared by the libFuzzer targets (fuzz build) and
# the corpus replay test (every build). Included from fuzz/CMakeLists.txt and
# tests/hostile/CMakeLists.txt; defines its targets once.
if(TARGET fuzz_entry_points)
    return()
endif()

set(VELDRAXIS_FUZZ_DIR ${CMAKE_CURRENT_LIST_DIR})

add_library(fuzz_entry_points STATIC ${VELDRAXIS_FUZZ_DIR}/entry_points.cpp
                                     ${VELDRAXIS_FUZZ_DIR}/disc_entry_points.cpp
                                     ${VELDRAXIS_FUZZ_DIR}/seed_inputs.cpp
                                     ${VELDRAXIS_FUZZ_DIR}/disc_seed_inputs.cpp)
target_include_directories(fuzz_entry_points PUBLIC ${VELDRAXIS_FUZZ_DIR})
target_link_libraries(fuzz_entry_points PUBLIC veldraxis_document veldraxis_import veldraxis_export veldraxis_disc veldraxis_core
                      veldraxis_texture_io archive_builder)

# Regenerates fuzz/corpus: fuzz_seed_generator <repo>/fuzz/corpus
add_executable(fuzz_seed_generator ${VELDRAXIS_FUZZ_DIR}/seed_generator.cpp)
target_link_libraries(fuzz_seed_generator PRIVATE fuzz_entry_points)
