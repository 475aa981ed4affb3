# Writes SITE/service-worker.js from TEMPLATE: the worker that keeps every file of the site (and
# the site's own address) in a cache named by a hash of their contents, so that each build that
# changes a file is cached anew.
# Usage: cmake -DSITE=folder -DTEMPLATE=service-worker.js -P service_worker.cmake
file(GLOB files RELATIVE ${SITE} ${SITE}/*)
list(REMOVE_ITEM files service-worker.js)
list(SORT files)
set(contents "")
set(FILES "'./'")
foreach(file IN LISTS files)
  file(SHA256 ${SITE}/${file} hash)
  string(APPEND contents "${file} ${hash}\n")
  string(APPEND FILES ", '${file}'")
endforeach()
string(SHA256 BUILD "${contents}")
string(SUBSTRING ${BUILD} 0 16 BUILD)
configure_file(${TEMPLATE} ${SITE}/service-worker.js @ONLY)
