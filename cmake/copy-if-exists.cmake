# cmake -DSRC=file -DDST=folder -P copy-if-exists.cmake: copies SRC into DST
# when it exists (an optional library the install step may have built).
if(EXISTS "${SRC}")
    file(COPY "${SRC}" DESTINATION "${DST}")
endif()
