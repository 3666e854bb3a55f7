# A product archive as 7-Zip writes one, for the packer's tests of names outside ASCII:
# Chinese, Japanese kana, Korean, Cyrillic, an accented Latin letter and a character
# beyond the Basic Multilingual Plane. The test names the same items (UnicodeNamesTest.cpp).
# cmake -DSEVEN_ZIP=7z -DWORK=<scratch folder> -DOUT=<archive> -P MakeNamesArchive.cmake
file(REMOVE_RECURSE "${WORK}")
file(REMOVE "${OUT}")
file(MAKE_DIRECTORY "${WORK}/中文")
foreach(name terminal.exe terminal.ico 中文/かな.txt 한국어.txt Привет.txt café.txt 😀.txt)
  file(WRITE "${WORK}/${name}" "${name}")
endforeach()
execute_process(COMMAND "${SEVEN_ZIP}" a -tzip "${OUT}" .
                WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE failed OUTPUT_QUIET)
if(failed)
  message(FATAL_ERROR "${SEVEN_ZIP} could not write ${OUT}")
endif()
file(REMOVE_RECURSE "${WORK}")
