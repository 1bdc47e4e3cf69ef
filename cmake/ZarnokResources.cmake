# zarnok_add_resources(<target> <script.rc>)
# Puts the resources of a script into <target>, an OBJECT library made here if
# it does not exist yet. Files named in the script are relative to its folder.
#  - Windows: the script goes to windres with the rest of the target.
#  - Elsewhere: tools/rc compiles it into a C++ source that embeds the
#    resources and registers them with the layer at start-up. The compiler's
#    depfile names every picture and sound, so a changed one re-runs it.
# Linking the OBJECT library into an executable links its objects directly,
# so the registering static initialiser is always part of the program.
if(WIN32)
  enable_language(RC)
endif()

function(zarnok_add_resources target script)
  get_filename_component(script_abs "${script}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
  get_filename_component(script_dir "${script_abs}" DIRECTORY)
  get_filename_component(script_name "${script_abs}" NAME_WE)
  if(NOT TARGET ${target})
    add_library(${target} OBJECT)
  endif()
  if(ZARNOK_WINDOWS_BUILD)
    target_sources(${target} PRIVATE "${script_abs}")
    # windres looks for the named files in its include folders.
    target_include_directories(${target} PRIVATE "$<$<COMPILE_LANGUAGE:RC>:${script_dir}>")
  else()
    set(out "${CMAKE_CURRENT_BINARY_DIR}/${script_name}_resources.cpp")
    add_custom_command(
      OUTPUT "${out}"
      COMMAND zarnok_rc "${script_abs}" "${out}" "${out}.d"
      DEPENDS zarnok_rc "${script_abs}"
      DEPFILE "${out}.d"
      COMMENT "Compiling resource script ${script_name}.rc"
      VERBATIM)
    target_sources(${target} PRIVATE "${out}")
    target_link_libraries(${target} PUBLIC winlayer)
  endif()
endfunction()
