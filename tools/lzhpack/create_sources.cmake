# Sources of the packer (the create verb), relative to this folder.
set(LZHPACK_CREATE_SOURCES
  create_verb.cpp
  huffman_lengths.cpp
  lh5_block.cpp
  lh5_encoder.cpp
  lh5_parse.cpp
  match_finder.cpp
  tree_match_finder.cpp
  member_crc.cpp
  member_header.cpp
  member_name.cpp
  msdos_time.cpp)
