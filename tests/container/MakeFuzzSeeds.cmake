# Makes the seed corpus of container_fuzz with the packer: small setups of the shipped
# layout, with and without the optional files. Run with -DORVAPACK= -DSEEDS= -DWORK=.
file(REMOVE_RECURSE "${SEEDS}" "${WORK}")
file(MAKE_DIRECTORY "${SEEDS}" "${WORK}/corpus")
set(in "${WORK}/inputs")
# The smallest stub the packer takes: an x86-64 GUI image with the setup's marker
# (testfiles::MarkedPe).
configure_file("${CMAKE_CURRENT_LIST_DIR}/seed-stub.exe" "${in}/stub.exe" COPYONLY)
file(WRITE "${in}/product/terminal.exe" "terminal program bytes")
file(WRITE "${in}/product/Uninstall.exe" "uninstaller program bytes")
file(WRITE "${in}/product/docs/readme.txt" "read me")
file(MAKE_DIRECTORY "${in}/product/empty")
file(WRITE "${in}/lang.ini" "[lang]\r\nnum=1\r\n")
file(WRITE "${in}/top_log.bmp" "BM banner")

function(pack name)
  execute_process(COMMAND "${ORVAPACK}" build --stub "${in}/stub.exe" --product "${in}/product" ${ARGN}
                          --out "${SEEDS}/${name}"
                  RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "orvapack failed for seed ${name}")
  endif()
endfunction()

pack(full.exe --lang "${in}/lang.ini" --banner "${in}/top_log.bmp")
pack(payload-only.exe)
pack(no-banner.exe --lang "${in}/lang.ini")
file(COPY "${in}/stub.exe" DESTINATION "${SEEDS}")
