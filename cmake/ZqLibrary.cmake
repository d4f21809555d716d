# One static library per subsystem folder: zq_<folder>, built from every .cpp in
# the folder and its subfolders. Each library links the one below it, so a folder
# only names its direct lower neighbour. Empty folders give an INTERFACE library
# so that the chain stays intact while a subsystem has no code yet.
set(ZQ_ALL_LIBS "")

function(zq_add_library name)
  set(lower ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${name}/*.cpp)
  list(FILTER srcs EXCLUDE REGEX "/server/|/host/testing\\.cpp$")  # testing.cpp: zq_testing (tests/)
  if(srcs)
    add_library(zq_${name} STATIC ${srcs})
    target_include_directories(zq_${name} PUBLIC $<BUILD_INTERFACE:${CMAKE_SOURCE_DIR}>
                                                 $<INSTALL_INTERFACE:${ZQ_INSTALL_INCLUDEDIR}>)
    target_link_libraries(zq_${name} PUBLIC Threads::Threads)
    foreach(l ${lower})
      target_link_libraries(zq_${name} PUBLIC zq_${l})
    endforeach()
  else()
    add_library(zq_${name} INTERFACE)
    target_include_directories(zq_${name} INTERFACE $<BUILD_INTERFACE:${CMAKE_SOURCE_DIR}>
                                                    $<INSTALL_INTERFACE:${ZQ_INSTALL_INCLUDEDIR}>)
    foreach(l ${lower})
      target_link_libraries(zq_${name} INTERFACE zq_${l})
    endforeach()
  endif()
  set(ZQ_ALL_LIBS ${ZQ_ALL_LIBS} zq_${name} PARENT_SCOPE)
endfunction()

# Every components/<name>/ folder becomes zq_component_<name>, on top of the
# action map and the shared jQuery UI option sets; zq_components links them all.
function(zq_add_components)
  file(GLOB dirs LIST_DIRECTORIES true CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/components/*)
  add_library(zq_components INTERFACE)
  target_link_libraries(zq_components INTERFACE zq_actionmap zq_jqueryui)
  foreach(d ${dirs})
    if(IS_DIRECTORY ${d})
      get_filename_component(n ${d} NAME)
      file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${d}/*.cpp)
      if(srcs)
        add_library(zq_component_${n} STATIC ${srcs})
        target_include_directories(zq_component_${n} PUBLIC $<BUILD_INTERFACE:${CMAKE_SOURCE_DIR}>
                                                            $<INSTALL_INTERFACE:${ZQ_INSTALL_INCLUDEDIR}>)
        target_link_libraries(zq_component_${n} PUBLIC zq_actionmap zq_jqueryui)
        target_link_libraries(zq_components INTERFACE zq_component_${n})
        set(ZQ_ALL_LIBS ${ZQ_ALL_LIBS} zq_component_${n})
      endif()
    endif()
  endforeach()
  # A component built on other components names them in its DEPENDS file
  # (one name a line).
  foreach(d ${dirs})
    get_filename_component(n ${d} NAME)
    if(TARGET zq_component_${n} AND EXISTS ${d}/DEPENDS)
      file(STRINGS ${d}/DEPENDS deps)
      foreach(dep ${deps})
        target_link_libraries(zq_component_${n} PUBLIC zq_component_${dep})
      endforeach()
    endif()
  endforeach()
  set(ZQ_ALL_LIBS ${ZQ_ALL_LIBS} zq_components PARENT_SCOPE)
endfunction()
