10'Number of F-32768aces and Number  3D Object
2 data 9,9,9
3'Number of Faces and Number of Points
4 data 1,2
5 DATA 1,2,3
6'Points nromç‹—šßÌ»ßObject and Faces from th'Points from the 3D Obj¡œ™ß¯–nts
11 data 20000010'Number of Face0000,2s 000000000an
