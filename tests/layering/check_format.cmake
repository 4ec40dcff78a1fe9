cmake_minimum_required(VERSION 3.25)
# Every C++ file is laid out as .clang-format says: a change that is not
# formatted fails here, not in review.
set(files "")
foreach(folder src refhost app tests bench)
    file(GLOB_RECURSE found "${ROOT}/${folder}/*.cpp" "${ROOT}/${folder}/*.h")
    list(APPEND files ${found})
endforeach()
execute_process(COMMAND "${CLANG_FORMAT}" --dry-run --Werror ${files}
                WORKING_DIRECTORY "${ROOT}" RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "Not formatted; run `make format`:\n${errors}")
endif()
