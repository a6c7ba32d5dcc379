# Run by CPack on the staged tree before it is packed, doing what Debian's helpers would:
# - strip every ELF file as dh_strip does (CPack strips only targets, not the LV2 bundle's
#   library, which is installed as part of a folder);
# - compress manual pages and the changelog with gzip -9n (no name, no time stamp, so the bytes
#   are reproducible).
set(staged "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr")
find_program(strip_program strip REQUIRED)
file(GLOB_RECURSE programs_and_libraries "${staged}/bin/*" "${staged}/lib/*")
foreach(file ${programs_and_libraries})
  file(READ ${file} magic LIMIT 4 HEX)
  if(magic STREQUAL "7f454c46")
    execute_process(COMMAND ${strip_program} --remove-section=.comment --remove-section=.note
                            --strip-unneeded ${file} COMMAND_ERROR_IS_FATAL ANY)
  endif()
endforeach()

file(GLOB_RECURSE manuals "${staged}/share/man/*.[1-9]")
foreach(document ${manuals} "${staged}/share/doc/varnholt-pro/changelog")
  execute_process(COMMAND gzip -9nf ${document} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
