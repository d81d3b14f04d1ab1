# The program's modules and what each may use: the one statement of the
# arrows, read by the build (each module a library linking only these) and
# by the include check (cmake/include_rules.cmake).
set(POIGUARD_MODULES log config gps poi alarm speech serial app)
set(POIGUARD_USES_log "")
set(POIGUARD_USES_config log speech)
set(POIGUARD_USES_gps poi)
set(POIGUARD_USES_poi log)
set(POIGUARD_USES_alarm poi)
set(POIGUARD_USES_speech "")
set(POIGUARD_USES_serial log gps config)
set(POIGUARD_USES_app log config gps poi alarm speech serial)
