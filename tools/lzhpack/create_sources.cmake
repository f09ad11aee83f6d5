# Sources of the packer (the create verb), relative to this folder.
set(LZHPACK_CREATE_SOURCES create_verb.cpp)
