# The layering rule of the port: everything above the port boundary speaks
# PortIo only. The register link, the chip protocol, the trace and the
# simulator must neither link the backends' library nor include a port header
# other than PortIo.h; configuring stops when one of them does.

# Every library that `target` links, directly or through others.
function(ferolith_linked_closure target out)
  set(seen)
  set(pending ${target})
  while(pending)
    list(POP_FRONT pending current)
    if(NOT TARGET ${current} OR current IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${current})
    get_target_property(type ${current} TYPE)
    set(links)
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
      get_target_property(links ${current} LINK_LIBRARIES)
    endif()
    get_target_property(interface ${current} INTERFACE_LINK_LIBRARIES)
    foreach(link IN LISTS links interface)
      if(link AND NOT link MATCHES "NOTFOUND$")
        list(APPEND pending ${link})
      endif()
    endforeach()
  endwhile()
  set(${out} ${seen} PARENT_SCOPE)
endfunction()

# ferolith_keep_above_port(TARGET FOLDER): TARGET must not link ferolith_port,
# and no source of FOLDER (relative to the root) may include a port header but
# port/PortIo.h.
function(ferolith_keep_above_port target folder)
  ferolith_linked_closure(${target} closure)
  if(ferolith_port IN_LIST closure)
    message(FATAL_ERROR "${target} links the port backends (ferolith_port); it may only speak PortIo")
  endif()
  file(GLOB_RECURSE sources ${FEROLITH_ROOT}/${folder}/*.h ${FEROLITH_ROOT}/${folder}/*.cpp)
  foreach(source IN LISTS sources)
    file(STRINGS ${source} includes REGEX "^#include \"port/")
    foreach(line IN LISTS includes)
      if(NOT line STREQUAL "#include \"port/PortIo.h\"")
        message(FATAL_ERROR "${source}: ${line}: above the port boundary only port/PortIo.h may be included")
      endif()
    endforeach()
  endforeach()
endfunction()
