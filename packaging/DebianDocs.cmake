# Run by CPack on the staged tree before it is packed: Debian wants manual pages and the
# changelog compressed with gzip -9n (no name, no time stamp, so the bytes are reproducible).
file(GLOB_RECURSE manuals "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/share/man/*.[1-9]")
foreach(document ${manuals} "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/share/doc/varnholt-pro/changelog")
  execute_process(COMMAND gzip -9nf ${document} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
