// replaced by the archive reader
