# Run after kavo-station is linked (cmake -DPROGRAM=<file> -P this file): the
# program must not need the libraries only the monitoring module uses, or the
# dialog's start would load them again. An include on the dialog side that
# pulls in a meter, the chart, SNMP or the like fails the build here.
execute_process(COMMAND readelf --dynamic ${PROGRAM}
    OUTPUT_VARIABLE dynamic RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "readelf could not read ${PROGRAM}")
endif()
foreach(library Qt6Charts Qt6Multimedia Qt6SerialPort netsnmp telnet pam)
    if(dynamic MATCHES "NEEDED[^\n]*\\[lib${library}\\.so")
        message(FATAL_ERROR "kavo-station needs lib${library}, which only the monitoring module "
                            "may need: an include on the dialog side reaches the monitoring half")
    endif()
endforeach()
