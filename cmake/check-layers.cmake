# Fails when a source file includes a header of a layer above its own, or of
# another folder of its own layer unless the pair is allowed below, and when
# the folders include each other in a cycle; so the game's fixed data stays at
# the bottom, the front ends on top, and no folder depends on itself.
# Run by CTest as: cmake -DSOURCE_DIR=<src> -P check-layers.cmake
cmake_minimum_required(VERSION 3.16)
set(layer_state 0)
set(layer_platform 0)
# The game's fixed data: slots, rooms, pins, item classes, enemy words.
set(layer_catalogue 1)
# The subsystems that make a run: placement, enemies, modifiers.
set(layer_placement 2)
set(layer_enemies 2)
set(layer_modifiers 2)
# The files, which write what the subsystems made and read it back.
set(layer_output 3)
set(layer_engine 4)
set(layer_app 5)
set(layer_web 5)

# Includes between two folders of the same layer that are allowed, as
# "from>to", each with a comment saying why. Keep it short: a pair that is
# needed for good belongs in two layers instead.
set(sideways_allowed
)

file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp")
set(faults "")
set(folders "")
foreach(source IN LISTS sources)
  string(REGEX MATCH "^[^/]+" folder "${source}")
  if(NOT DEFINED layer_${folder})
    string(APPEND faults "  ${source}: folder '${folder}' has no layer in this check\n")
    continue()
  endif()
  list(APPEND folders ${folder})
  file(STRINGS "${SOURCE_DIR}/${source}" includes REGEX "^#include \"[^/\"]+/")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^#include \"([^/\"]+)/.*" "\\1" target "${line}")
    if(target STREQUAL folder)
      continue()
    endif()
    list(APPEND edges_${folder} ${target})
    if(NOT DEFINED layer_${target})
      string(APPEND faults "  ${source}: includes '${target}', which has no layer\n")
    elseif(layer_${target} GREATER layer_${folder})
      string(APPEND faults "  ${source}: ${line} runs upward\n")
    elseif(layer_${target} EQUAL layer_${folder} AND NOT "${folder}>${target}" IN_LIST sideways_allowed)
      string(APPEND faults "  ${source}: ${line} runs sideways and is not in the allowed list\n")
    endif()
  endforeach()
endforeach()

# A cycle between folders, whatever the layers say: breadth-first from each
# folder; reaching the folder itself again is a cycle, reported as its path.
list(REMOVE_DUPLICATES folders)
foreach(start IN LISTS folders)
  set(queue ${start})
  set(seen "")
  set(cycle "")
  while(queue AND NOT cycle)
    list(POP_FRONT queue node)
    set(next_nodes ${edges_${node}})
    if(next_nodes)
      list(REMOVE_DUPLICATES next_nodes)
    endif()
    foreach(next IN LISTS next_nodes)
      if(next STREQUAL start)
        set(cycle "${start}")
        set(walk ${node})
        while(NOT walk STREQUAL start)
          string(PREPEND cycle "${walk} -> ")
          set(walk ${from_${walk}})
        endwhile()
        string(PREPEND cycle "${start} -> ")
        break()
      elseif(NOT next IN_LIST seen)
        list(APPEND seen ${next})
        set(from_${next} ${node})
        list(APPEND queue ${next})
      endif()
    endforeach()
  endwhile()
  if(cycle)
    string(APPEND faults "  folders include each other in a cycle: ${cycle}\n")
  endif()
endforeach()

if(faults)
  message(FATAL_ERROR "includes against the layering:\n${faults}")
endif()
list(LENGTH sources count)
message(STATUS "layering: ${count} source files include only downward, without cycles")
