# Writes the page's service worker from its template: the files it caches, and the cache's
# name, "dorminax-VERSION-DIGEST", where the digest (of every file's SHA-256) changes with
# any file, so that a browser takes each build's files afresh and drops the last build's.
# Usage: cmake -DIN=service-worker.js -DOUT=FILE -DVERSION=V -DFOLDER=DIR -DFILES=a,b,...
#              -P service_worker.cmake
string(REPLACE "," ";" FILES "${FILES}")
set(hashes "")
set(quoted "")
foreach(file IN LISTS FILES)
  file(SHA256 ${FOLDER}/${file} hash)
  string(APPEND hashes "${hash}  ${file}\n")
  list(APPEND quoted "'${file}'")
endforeach()
string(SHA256 digest "${hashes}")
string(SUBSTRING "${digest}" 0 12 digest)
set(CACHE_NAME "dorminax-${VERSION}-${digest}")
list(JOIN quoted ",\n  " CACHED_FILES)
configure_file(${IN} ${OUT} @ONLY)
