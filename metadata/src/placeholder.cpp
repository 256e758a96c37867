// The metadata library: ID3v1, ID3v2, the MPEG audio header and Lyrics3.
