# The program's modules and what each may use: the one statement of the
# arrows, read by the build (each module a library linking only these) and
# by the include check (cmake/include_rules.cmake).
set(POIGUARD_MODULES geo log config gps poi alarm speech serial app)
set(POIGUARD_USES_geo "")
set(POIGUARD_USES_log "")
set(POIGUARD_USES_config log speech)
set(POIGUARD_USES_gps geo)
set(POIGUARD_USES_poi log geo)
set(POIGUARD_USES_alarm poi geo)
set(POIGUARD_USES_speech "")
set(POIGUARD_USES_serial log gps config)
set(POIGUARD_USES_app log config geo gps poi alarm speech serial)
# The other programs, each in a folder of its own, link the module libraries
# they use instead of compiling the modules' sources again.
set(POIGUARD_PROGRAMS import report tools)
set(POIGUARD_USES_import poi geo)
set(POIGUARD_USES_report log geo)
set(POIGUARD_USES_tools geo)
