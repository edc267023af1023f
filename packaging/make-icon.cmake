# cmake -DPROGRAM=... -DMODEL=... -DSIZE=N -DOUTPUT=icon.png -P make-icon.cmake
# Draws MODEL's first frame in the viewer on SDL's offscreen driver, N x N,
# into OUTPUT. The program's lines are shown only when it fails.
foreach(var PROGRAM MODEL SIZE OUTPUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "make-icon.cmake: ${var} is not set")
  endif()
endforeach()

get_filename_component(folder "${OUTPUT}" DIRECTORY)
file(MAKE_DIRECTORY "${folder}")
file(REMOVE "${OUTPUT}")
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env SDL_VIDEODRIVER=offscreen
          "${PROGRAM}" --window=${SIZE}x${SIZE} --frames 1 --screenshot "${OUTPUT}" "${MODEL}"
  RESULT_VARIABLE status
  OUTPUT_VARIABLE output
  ERROR_VARIABLE output)
if(NOT status EQUAL 0 OR NOT EXISTS "${OUTPUT}")
  message(FATAL_ERROR "${output}\nthe ${SIZE}x${SIZE} icon was not drawn (status ${status})")
endif()
