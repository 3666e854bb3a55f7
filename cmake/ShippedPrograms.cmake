# orvanta_ship_program(<target>): makes a program fit to go to users' machines.
#
# - Its entry point restricts the DLL search to the system folder before anything else
#   runs (framework/DllSearchGuard.h); it must import known DLLs only, which the import
#   check of tests/build proves for every program of ORVANTA_SHIPPED_PROGRAMS.
# - Its manifest asks for administrator rights (resources/elevated.manifest).
#
# GNU ld offers no dependent-load flag (the load-configuration field that MSVC's
# /DEPENDENTLOADFLAG sets): the run-time restriction covers the same loads.
function(orvanta_ship_program target)
  get_target_property(gui ${target} WIN32_EXECUTABLE)
  if(gui)
    set(entry OrvantaGuardedWinStart)
    # wWinMain: the command line arrives in UTF-16.
    set(unicode_entry -municode)
  else()
    set(entry OrvantaGuardedConsoleStart)
    set(unicode_entry)
  endif()
  target_link_libraries(${target} PRIVATE guarded_entry elevated_manifest)
  target_link_options(${target} PRIVATE -Wl,--entry=${entry} ${unicode_entry})
endfunction()
