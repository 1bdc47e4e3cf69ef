# winlayer_program(<target> NAME <name> SUMMARY <line>
#                  [DATA_FOLDER <name> SHIPPED_DATA <installed data folder, relative to the prefix>
#                   SEED_FILES <file>... SHARED_FILES <file>... LOST_WITHOUT_FOLDER <words>]
#                  [LOG_FILE <file>])
# Gives a WinMain program its entry on this host: the options, and for a
# program with DATA_FOLDER the player's own data folder (platform/entry/).
function(winlayer_program target)
  cmake_parse_arguments(ARG "" "NAME;SUMMARY;DATA_FOLDER;SHIPPED_DATA;LOST_WITHOUT_FOLDER;LOG_FILE;BINDIR"
                        "SEED_FILES;SHARED_FILES" ${ARGN})
  set(ARG_VERSION ${PROJECT_VERSION})
  set(shipped_relative "")
  if(ARG_DATA_FOLDER)
    # From where the program is installed to its data, so the installation
    # can be moved as a whole (DESTDIR, another prefix).
    file(RELATIVE_PATH shipped_relative "/${ARG_BINDIR}" "/${ARG_SHIPPED_DATA}")
  endif()
  list(JOIN ARG_SEED_FILES ";" seed_files)
  list(JOIN ARG_SHARED_FILES ";" shared_files)
  set(profile ${CMAKE_CURRENT_BINARY_DIR}/${target}_program_profile.cpp)
  configure_file(${PROJECT_SOURCE_DIR}/platform/entry/program_profile.cpp.in ${profile} @ONLY)
  # The program's calendar clock goes through the layer, so that a replay
  # journal can record and answer it (platform/entry/calendar_clock.cpp).
  target_sources(${target} PRIVATE ${profile} ${PROJECT_SOURCE_DIR}/platform/entry/calendar_clock.cpp)
  target_link_options(${target} PRIVATE -Wl,--wrap=time)
  target_link_libraries(${target} PRIVATE winlayer_entry)
endfunction()
