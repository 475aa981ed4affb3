# The web pages: a page and an app manifest per program, which any static file host serves
# beside the program's .js and .wasm.
# The program is linked for its page: one thread, whose waits yield to the browser (Asyncify),
# so any static file host serves the pages; each page makes a fresh instance of its program
# for every run. A pause for keys (web_pause.js) is the one wait of our own that puts the stack
# aside.
function(web_page program folder)
  set(web_pause ${PROJECT_SOURCE_DIR}/runtime/web/web_pause.js)
  target_link_options(${program} PRIVATE -sASYNCIFY -sASYNCIFY_IMPORTS=page_pause_for_keys
    -sASYNCIFY_STACK_SIZE=16384 -sENVIRONMENT=web -sMODULARIZE -sEXPORT_NAME=createProgram
    -sEXIT_RUNTIME -sALLOW_MEMORY_GROWTH --js-library ${web_pause})
  set_property(TARGET ${program} APPEND PROPERTY LINK_DEPENDS ${web_pause})
  set(PROGRAM ${program})
  configure_file(${PROJECT_SOURCE_DIR}/app/web/program.html.in ${folder}/${program}.html @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/app/web/program.webmanifest.in ${folder}/${program}.webmanifest @ONLY)
endfunction()

# Target name makes a folder of pages an installable site that works offline, once the
# programs given are built into it: the pages' script, each program's icon at 64 and 256 pixels
# (PROGRAM-64.png, PROGRAM-256.png; a program without an icon of its own shows zorvy's), then the
# service worker that caches the folder's files.
function(web_site name folder)
  set(copy_icons "")
  foreach(program ${ARGN})
    set(icon zorvy)
    if(program IN_LIST ICON_PROGRAMS)
      set(icon ${program})
    endif()
    foreach(size 64 256)
      list(APPEND copy_icons COMMAND ${CMAKE_COMMAND} -E copy_if_different
        ${ICON_DIR}/${icon}/icon-${size}.png ${folder}/${program}-${size}.png)
    endforeach()
  endforeach()
  add_custom_target(${name} ALL
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PROJECT_SOURCE_DIR}/app/web/page.js ${folder}/page.js
    ${copy_icons}
    COMMAND ${CMAKE_COMMAND} -DSITE=${folder} -DTEMPLATE=${PROJECT_SOURCE_DIR}/app/web/service-worker.js
      -P ${PROJECT_SOURCE_DIR}/app/web/service_worker.cmake
    VERBATIM)
  add_dependencies(${name} icons ${ARGN})
endfunction()
