# Assembles the payload folder and packs it. Run with cmake -P; the variables come from payload/CMakeLists.txt.
#   CLIENT_DIR  client folder copied as it is
#   RUNTIME     the stand-in runtime to place as lib/Quorvia.dll (empty when CLIENT_DIR is a real client)
#   LAUNCHER, UPDATER  the suite's Quorvia.exe and update.exe, placed at the top
#   STAGE       folder to assemble in (emptied first), ARCHIVE the 7z file to write, SEVENZIP the 7zz program
foreach(var CLIENT_DIR LAUNCHER UPDATER STAGE ARCHIVE SEVENZIP)
    if(NOT ${var})
        message(FATAL_ERROR "pack.cmake: ${var} is not set")
    endif()
endforeach()

file(REMOVE_RECURSE "${STAGE}")
file(MAKE_DIRECTORY "${STAGE}")
# The trailing slash copies the folder's contents rather than the folder itself.
file(COPY "${CLIENT_DIR}/" DESTINATION "${STAGE}")
if(RUNTIME)
    file(MAKE_DIRECTORY "${STAGE}/lib")
    file(COPY_FILE "${RUNTIME}" "${STAGE}/lib/Quorvia.dll")
endif()
# The suite's own programs win over any that the client folder brings along.
file(COPY_FILE "${LAUNCHER}" "${STAGE}/Quorvia.exe")
file(COPY_FILE "${UPDATER}" "${STAGE}/update.exe")

# 7-Zip adds to an existing archive, so a stale one must go first.
file(REMOVE "${ARCHIVE}")
file(GLOB _top RELATIVE "${STAGE}" "${STAGE}/*")
list(SORT _top)
execute_process(
    COMMAND "${SEVENZIP}" a -t7z -m0=lzma2 -ms=on -bd "${ARCHIVE}" ${_top}
    WORKING_DIRECTORY "${STAGE}"
    RESULT_VARIABLE _result
    OUTPUT_VARIABLE _output
    ERROR_VARIABLE _output)
if(NOT _result EQUAL 0)
    file(REMOVE "${ARCHIVE}")
    message(FATAL_ERROR "7zz failed (${_result}):\n${_output}")
endif()
