// replaced by the install sequence
