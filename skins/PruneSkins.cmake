# Removes from the copied skins beside the binaries every file that no longer exists in the
# source tree, so a file dropped from a skin does not live on in galleries made by an old build.
# Only the skins' own folders are looked at: the build keeps its own files beside them.
#   cmake -DSOURCE=<skins in the source tree> -DDEST=<copied skins> -P PruneSkins.cmake
file(GLOB skins RELATIVE ${SOURCE} ${SOURCE}/*)
foreach(skin IN LISTS skins)
  if(NOT IS_DIRECTORY ${SOURCE}/${skin} OR NOT IS_DIRECTORY ${DEST}/${skin})
    continue()
  endif()
  file(GLOB_RECURSE copied RELATIVE ${DEST}/${skin} ${DEST}/${skin}/*)
  foreach(file IN LISTS copied)
    if(NOT EXISTS ${SOURCE}/${skin}/${file})
      file(REMOVE ${DEST}/${skin}/${file})
    endif()
  endforeach()
endforeach()
