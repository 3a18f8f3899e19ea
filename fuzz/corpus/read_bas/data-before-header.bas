1'Faces from the 3D Object
2 data 9,9,9
3'Number of Faces and Number of Points
4 data 1,2
5 DATA 1,2,3
6'Points from the 3D Object and Faces from the 3D Object
7 metadata 1,2,3
