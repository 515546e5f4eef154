# The windows of records/ and exchange/: the job viewer, the coordinate
# import and the point output, with the grid the last two share.
target_sources(velgui PRIVATE
  ${PROJECT_SOURCE_DIR}/exchange/CoordinateGrid.cpp
  ${PROJECT_SOURCE_DIR}/exchange/Unit4.cpp
  ${PROJECT_SOURCE_DIR}/exchange/Unit6.cpp
  ${PROJECT_SOURCE_DIR}/records/Unit5.cpp
)
target_link_libraries(velgui PUBLIC velexchange velrecords)
