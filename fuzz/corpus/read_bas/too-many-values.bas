1'Points Faces
2 data 1,1
3'Points from the 3D Object
4 data 1,2,3,4
5 data 1,2,3,4,5,6,7,8,9,10,
6'Faces from the 3D Object
7 data 0, 1, 2,0,1,1,5,5,5
