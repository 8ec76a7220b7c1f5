# Run after kavo-station and libkavo-common.so are linked (cmake
# -DPROGRAM=<file> -P this file): neither may need the libraries only the
# monitoring module uses, or the dialog's start would load them again. An include on the dialog side that
# pulls in a meter, the chart, SNMP or the like fails the build here.
execute_process(COMMAND readelf --dynamic ${PROGRAM}
    OUTPUT_VARIABLE dynamic RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "readelf could not read ${PROGRAM}")
endif()
foreach(library Qt6Charts Qt6Multimedia Qt6SerialPort netsnmp telnet pam)
    if(dynamic MATCHES "NEEDED[^\n]*\\[lib${library}\\.so")
        get_filename_component(name ${PROGRAM} NAME)
        message(FATAL_ERROR "${name} needs lib${library}, which only the monitoring module "
                            "may need: an include on the dialog side reaches the monitoring half")
    endif()
endforeach()
