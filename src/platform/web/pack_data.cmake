# Packs the data set's own files for the page: dorminax.data, with its file list in
# dorminax-data.js. Only the pictures, palettes, models and music are taken, nothing else
# that may lie in the folder (the build's stamp, screenshots of a run, notes).
# Usage, in the output folder: cmake -DDATA_DIR=DIR -DPACKAGER=file_packager.py -P pack_data.cmake
file(GLOB files RELATIVE ${DATA_DIR} ${DATA_DIR}/gfx/*.gif ${DATA_DIR}/gfx/*.pal
     ${DATA_DIR}/3ds/*.3ds ${DATA_DIR}/3ds/*.3DS ${DATA_DIR}/demotuin.ogg)
list(SORT files)
set(preloads "")
foreach(file IN LISTS files)
  list(APPEND preloads --preload ${DATA_DIR}/${file}@/${file})
endforeach()
execute_process(COMMAND python3 ${PACKAGER} dorminax.data ${preloads}
                        --js-output=dorminax-data.js --no-node
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "packing the data set failed")
endif()
