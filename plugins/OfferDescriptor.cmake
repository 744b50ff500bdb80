# Copies DESCRIPTOR into FOLDER unless FOLDER/Installed holds its name.
get_filename_component(name ${DESCRIPTOR} NAME)
if(NOT EXISTS ${FOLDER}/Installed/${name})
  file(COPY ${DESCRIPTOR} DESTINATION ${FOLDER})
endif()
